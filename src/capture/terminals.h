#pragma once
#include <string>

namespace kestrel {

// Terminal emulators, known by window class. Each copies the selection to
// the clipboard as the user makes it (or can be set to), so none needs a key.
struct Terminal {
    const char* className;
    const char* name;  // as the user knows it, for messages
    // What the user must do for a selection to be copied, after "Select the value there".
    const char* howToCopy;
};

// The terminal whose windows have this class, or nullptr.
const Terminal* FindTerminal(const std::string& className);

}  // namespace kestrel
