#include "capture/terminal_route.h"

#include "capture/terminals.h"

namespace kestrel {

std::optional<std::string> TerminalRoute::Take(const CaptureTarget& target, std::string& why) {
    const Terminal* terminal = nullptr;
    platform::WindowId where = 0;
    for (const auto& window : desktop_.FocusPath(target.window)) {
        terminal = FindTerminal(window.className, window.program);
        if (!terminal && target.classes.KindOf(window.className) == platform::ControlKind::Terminal)
            terminal = &kAddedTerminal;
        if (terminal) {
            where = window.id;
            break;
        }
    }
    if (!terminal) {
        why = "the window is no known terminal";
        return std::nullopt;
    }
    why = std::string(terminal->name) + ": it copies as the user selects, no key";
    if (where != target.window) why += " (inside the window)";
    auto& clipboard = tools_.clipboard();
    if (clipboard.SequenceNumber() == lastPress_ ||
        clipboard.CopiedBy(where) != platform::Clipboard::Copier::WindowsProgram) {
        why += ", and it copied nothing since the last press";
        throw CaptureFailure(std::string("error: nothing is selected in ") + terminal->name + ". Select the value there" +
                             terminal->howToCopy + ", then press the hotkey again.");
    }
    return tools_.ReadClipboard();
}

}  // namespace kestrel
