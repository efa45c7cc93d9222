#include "capture/ask_route.h"

namespace kestrel {

std::optional<std::string> AskRoute::Take(const CaptureTarget& target, std::string& why) {
    using Kind = platform::ControlText::Kind;
    const auto answer = controls_.ReadFocused(target.window, target.classes);
    switch (answer.kind) {
    case Kind::Text:
        why = "an edit control has the focus";
        tools_.LeaveOnClipboard(answer.text);
        return answer.text;
    case Kind::Password:
        why = "a password box has the focus, never read";
        tools_.LeaveOnClipboard({});
        return std::string();  // as Ctrl+C gives nothing there
    case Kind::NoAnswer:
        why = "the focused control did not answer";
        return std::nullopt;
    default:
        why = "the focused control is no edit control";
        return std::nullopt;
    }
}

}  // namespace kestrel
