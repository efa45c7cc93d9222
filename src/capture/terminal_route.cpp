#include "capture/terminal_route.h"

#include "capture/terminals.h"

namespace kestrel {

std::optional<std::string> TerminalRoute::Take(const CaptureTarget& target, std::string& why) {
    const auto* terminal = FindTerminal(target.facts.className);
    if (!terminal) {
        why = "the window is no known terminal";
        return std::nullopt;
    }
    why = std::string(terminal->name) + ": it copies as the user selects, no key";
    auto& clipboard = tools_.clipboard();
    if (clipboard.SequenceNumber() == lastPress_ || !clipboard.CopiedBy(target.window)) {
        why += ", and it copied nothing since the last press";
        throw CaptureFailure(std::string("error: nothing is selected in ") + terminal->name + ". Select the value there" +
                             terminal->howToCopy + ", then press the hotkey again.");
    }
    return tools_.ReadClipboard();
}

}  // namespace kestrel
