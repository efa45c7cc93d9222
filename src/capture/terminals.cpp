#include "capture/terminals.h"

namespace kestrel {
namespace {

// Windows Terminal's copy chords reach the program as Ctrl+C when nothing is
// selected, and mintty's documentation does not promise that Ctrl+Insert
// never does: all of them are only read.
constexpr Terminal kTerminals[] = {
    {"CASCADIA_HOSTING_WINDOW_CLASS", "Windows Terminal",
     " (with its setting \"Automatically copy selection to clipboard\" on)"},
    {"mintty", "mintty", ""},
    {"PuTTY", "PuTTY", ""},
    {"KiTTY", "KiTTY", ""},
};

}  // namespace

const Terminal* FindTerminal(const std::string& className) {
    for (const auto& t : kTerminals)
        if (className == t.className) return &t;
    return nullptr;
}

}  // namespace kestrel
