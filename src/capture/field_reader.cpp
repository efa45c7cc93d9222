#include "capture/field_reader.h"

#include "platform/text_case.h"

namespace kestrel {

platform::WindowId FieldReader::Find(const CaptureTarget& target, const ValueFrom& from, platform::ControlKind& kind) {
    int seen = 0;
    for (const auto& child : desktop_.Descendants(target.window)) {
        const auto childKind = target.classes.KindOf(child.className, child.realClassName);
        const bool named = from.place == ValueFrom::Place::ControlId
                               ? child.controlId == from.id
                               : platform::EqualsIgnoringCase(child.className, from.className) ||
                                     (childKind != platform::ControlKind::Unknown &&
                                      platform::EqualsIgnoringCase(platform::KindName(childKind), from.className));
        if (named && (from.place == ValueFrom::Place::ControlId || ++seen == from.number)) {
            kind = childKind;
            return child.id;
        }
    }
    return 0;
}

std::string FieldReader::Take(const CaptureTarget& target, const ValueFrom& from, const std::string& title,
                              std::string& why) {
    if (from.place == ValueFrom::Place::Title) {
        why = "the source takes the window's title";
        tools_.LeaveOnClipboard(target.facts.title);
        return target.facts.title;
    }
    const auto field = "error: the field " + from.written + " ";
    const auto in = title.empty() ? std::string("in the window in front") : "in '" + title + "'";
    auto kind = platform::ControlKind::Unknown;
    const auto control = Find(target, from, kind);
    if (!control) {
        why = "no control is " + from.written;
        throw CaptureFailure(field + "was not found " + in + ".");
    }
    const auto taken = [&](const std::string& text, const char* how) {
        why = from.written + " " + how;
        tools_.LeaveOnClipboard(text);
        return text;
    };
    const auto unread = [&](const char* reason, const std::string& said) {
        why = from.written + " " + reason;
        return CaptureFailure(field + in + " " + said);
    };
    constexpr const char* kAgain = "did not answer, so nothing was taken from it. Press the hotkey again in a moment.";
    using platform::ControlKind;
    if (kind == ControlKind::ListView || kind == ControlKind::ListBox || kind == ControlKind::TreeView) {
        using Kind = platform::ListText::Kind;
        const auto list = lists_.ReadList(control, kind, target.column);
        switch (list.kind) {
        case Kind::Text: return taken(list.text, "is a list, its chosen item");
        case Kind::NothingSelected: return taken({}, "is a list, nothing selected");
        case Kind::NoAnswer: throw unread("did not answer", kAgain);
        case Kind::NoSuchColumn:
            throw unread("has no column of that name",
                         "has no column \"" + target.column + "\". Check the source's column in Settings.");
        default: throw unread("is a list that cannot be read", "is a list Kestrel cannot read.");
        }
    }
    using Kind = platform::ControlText::Kind;
    const auto text = texts_.ReadWhole(control, kind);
    switch (text.kind) {
    case Kind::Text: return taken(text.text, "answered its text");
    case Kind::Password: throw unread("is a password box, never read", "is a password box, which Kestrel never reads.");
    case Kind::NoAnswer: throw unread("did not answer", kAgain);
    default: throw unread("is no control Kestrel reads", "is no control Kestrel can read.");
    }
}

}  // namespace kestrel
