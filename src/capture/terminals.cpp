#include "capture/terminals.h"

#include "platform/text_case.h"

namespace kestrel {
namespace {

constexpr const char* kCopyOnSelect = " (with its setting to copy the selection as it is made on)";

// Windows Terminal's copy chords reach the program as Ctrl+C when nothing is
// selected, and mintty's documentation does not promise that Ctrl+Insert
// never does: all of them are only read.
constexpr Terminal kTerminals[] = {
    {"CASCADIA_HOSTING_WINDOW_CLASS", "WindowsTerminal.exe", "Windows Terminal",
     " (with its setting \"Automatically copy selection to clipboard\" on)"},
    {"mintty", "mintty.exe", "mintty", ""},
    {"PuTTY", "putty.exe", "PuTTY", ""},
    {"KiTTY", "kitty.exe", "KiTTY", ""},
    {"VirtualConsoleClass", "ConEmu.exe", "ConEmu", kCopyOnSelect},
    {nullptr, "ConEmu64.exe", "ConEmu", kCopyOnSelect},
    {nullptr, "MobaXterm.exe", "MobaXterm", ""},
    {nullptr, "SecureCRT.exe", "SecureCRT", kCopyOnSelect},
    {nullptr, "alacritty.exe", "Alacritty", kCopyOnSelect},
    {nullptr, "wezterm-gui.exe", "WezTerm", ""},
    {nullptr, "Tabby.exe", "Tabby", kCopyOnSelect},
};

}  // namespace

const Terminal* FindTerminal(const std::string& className, const std::string& program) {
    for (const auto& t : kTerminals)
        if ((t.className && platform::EqualsIgnoringCase(className, t.className)) ||
            (!program.empty() && platform::EqualsIgnoringCase(program, t.program)))
            return &t;
    return nullptr;
}

}  // namespace kestrel
