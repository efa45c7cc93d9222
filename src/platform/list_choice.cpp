#include "platform/list_choice.h"

#include "platform/text_case.h"

namespace kestrel::platform {

std::int64_t ChosenItem(std::int64_t focused, bool focusedSelected, std::int64_t firstSelected) {
    if (focused >= 0 && focusedSelected) return focused;
    return firstSelected >= 0 ? firstSelected : -1;
}

int ColumnNamed(const std::vector<std::string>& headers, const std::string& name) {
    if (name.empty()) return 0;
    for (std::size_t i = 0; i < headers.size(); ++i)
        if (EqualsIgnoringCase(headers[i], name)) return static_cast<int>(i);
    return -1;
}

}  // namespace kestrel::platform
