#pragma once
#include <string>

namespace kestrel {

// Terminal emulators: the program in the terminal takes Ctrl+C with nothing
// selected as an interrupt, and Home and Shift+End as its own keys, so none
// of those is typed there. Known by window class.
struct Terminal {
    const char* className;
    const char* name;  // as the user knows it, for messages
    // The terminal's own copy command; nullptr for one that copies the
    // selection as the user makes it and has no copy key.
    const char* copyKeys;
};

// The terminal whose windows have this class, or nullptr.
const Terminal* FindTerminal(const std::string& className);

}  // namespace kestrel
