#pragma once
#include <cstdint>
#include <string>

namespace kestrel {

// The names the settings dialog shows for a hotkey: the modifier mask's (1
// Shift, 2 Ctrl, 4 Alt) and the key code's, and the combination "<mask> <key>"
// with its blank always present. Values beyond the tables have empty names.
std::string ShiftName(std::int32_t mask);
std::string KeyName(std::int32_t keyCode);
std::string HotKeyDisplayText(std::int32_t mask, std::int32_t keyCode);

}  // namespace kestrel
