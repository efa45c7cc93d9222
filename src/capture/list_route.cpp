#include "capture/list_route.h"

#include <string>

#include "capture/keys_route.h"

namespace kestrel {
namespace {

const char* ControlName(platform::ListText::Control control) {
    using Control = platform::ListText::Control;
    switch (control) {
    case Control::ListView: return "a list view";
    case Control::ListBox: return "a list box";
    case Control::DropDownList: return "a drop-down list";
    case Control::TreeView: return "a tree view";
    default: return "a list";
    }
}

}  // namespace

std::optional<std::string> ListRoute::Take(const CaptureTarget& target, std::string& why) {
    using Kind = platform::ListText::Kind;
    const auto answer = lists_.ReadFocused(target.window, target.column, target.classes);
    if (answer.kind == Kind::NotAList) {
        why = "no list has the focus";
        return std::nullopt;
    }
    why = std::string(ControlName(answer.control)) + " has the focus";
    switch (answer.kind) {
    case Kind::NoAnswer:
        why += ", and did not answer";
        throw CaptureFailure("error: the list in the source window did not answer, so nothing was taken from it. "
                             "Press the hotkey again in a moment.");
    case Kind::Refused:
        why += ", but its program runs with more rights";
        throw CaptureFailure(KeysRoute::kHigherRightsMessage);
    case Kind::NoText:
        why += ", drawn by its program with no text kept";
        throw CaptureFailure("error: this list shows no text Kestrel can read, so nothing was taken from it.");
    case Kind::TooLong:
        why += ", its chosen item longer than " + std::to_string(platform::ListText::kMaxTextUnits) + " characters";
        throw CaptureFailure("error: the chosen item in the list in the source window is longer than " +
                             std::to_string(platform::ListText::kMaxTextUnits) +
                             " characters, so nothing was taken from it.");
    case Kind::Unreachable:
        why += ", whose items cannot be reached safely from Kestrel";
        throw CaptureFailure("error: Kestrel cannot read the list in the source window safely, so nothing was "
                             "taken from it.");
    case Kind::NoSuchColumn:
        why += ", with no column of that name";
        throw CaptureFailure("error: the list in the source window has no column \"" + target.column +
                             "\". Check the source's column in Settings.");
    case Kind::NothingSelected:
        why += ", nothing selected";
        tools_.LeaveOnClipboard({});
        return std::string();
    default:
        why += target.column.empty() ? ", its chosen item" : ", its chosen item's column";
        tools_.LeaveOnClipboard(answer.text);
        return answer.text;
    }
}

}  // namespace kestrel
