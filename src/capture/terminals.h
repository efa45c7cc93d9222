#pragma once
#include <string>

namespace kestrel {

// Terminal emulators, known by window class or by program file name. Each
// copies the selection to the clipboard as the user makes it (or can be set
// to), so none needs a key.
struct Terminal {
    const char* className;  // nullptr: known by its program alone
    const char* program;
    const char* name;  // as the user knows it, for messages
    // What the user must do for a selection to be copied, after "Select the value there".
    const char* howToCopy;
};

// A class the administrator named a terminal in ControlClasses.
inline constexpr Terminal kAddedTerminal{nullptr, nullptr, "the terminal", ""};

// The terminal whose windows have this class, or whose program this is
// (both compared without case), or nullptr.
const Terminal* FindTerminal(const std::string& className, const std::string& program);

}  // namespace kestrel
