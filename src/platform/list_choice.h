#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kestrel::platform {

// Which item of a list the user means, as every list route takes it: the
// focused item when it is selected (the one the user last clicked among
// several), else the first selected one; -1 when nothing is selected.
std::int64_t ChosenItem(std::int64_t focused, bool focusedSelected, std::int64_t firstSelected);

// The column whose header is `name`, compared as titles are (ignoring case);
// 0, the first column, when `name` is empty; -1 when no header has it.
int ColumnNamed(const std::vector<std::string>& headers, const std::string& name);

}  // namespace kestrel::platform
