#include "capture/console_route.h"

namespace kestrel {
namespace {

// A console row as a copy gives it: without the blanks that pad it to the
// buffer's width.
std::string Unpadded(std::string row) {
    const auto end = row.find_last_not_of(std::string(" \0", 2));
    row.erase(end == std::string::npos ? 0 : end + 1);
    return row;
}

}  // namespace

std::optional<std::string> ConsoleRoute::Take(const CaptureTarget& target, std::string& why) {
    using Kind = platform::ConsoleText::Kind;
    const auto answer = consoles_.Read(target.window);
    if (answer.kind == Kind::NotAConsole) {
        why = "the window is no console";
        return std::nullopt;
    }
    why = "a console window";
    if (answer.kind == Kind::Unreadable) {
        why += " that could not be read";
        throw CaptureFailure("error: the console window could not be read. Press the hotkey again in a moment.");
    }
    why += answer.kind == Kind::Selection ? ", its selection" : ", its cursor's line";
    std::string text;
    for (std::size_t i = 0; i < answer.rows.size(); ++i) text += (i ? "\r\n" : "") + Unpadded(answer.rows[i]);
    tools_.LeaveOnClipboard(text);
    return text;
}

}  // namespace kestrel
