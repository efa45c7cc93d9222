#include "capture/field_pick.h"

#include <algorithm>

#include "platform/text_case.h"

namespace kestrel {
namespace {

using platform::ControlKind;

bool Readable(ControlKind kind) {
    switch (kind) {
        case ControlKind::Edit:
        case ControlKind::RichEdit:
        case ControlKind::StaticText:
        case ControlKind::Button:
        case ControlKind::ComboBox:
        case ControlKind::ListBox:
        case ControlKind::ListView:
        case ControlKind::TreeView:
            return true;
        default:
            return false;
    }
}

// Dialog templates give their labels -1 (0xFFFF as a word), and windows made
// without one 0: no name for a field.
bool Naming(int id) { return id > 0 && id != 0xFFFF; }

}  // namespace

std::optional<std::string> PickedValueFrom(const platform::PickedField& field, const platform::ControlClasses& classes) {
    const auto& all = field.descendants;
    if (field.window == 0 || field.index >= all.size()) return std::nullopt;
    const auto& picked = all[field.index];
    const auto kind = classes.KindOf(picked.className, picked.realClassName);
    if (!Readable(kind)) return std::nullopt;
    const auto id = picked.controlId;
    if (Naming(id) && std::count_if(all.begin(), all.end(), [&](const auto& d) { return d.controlId == id; }) == 1)
        return "control #" + std::to_string(id);
    // The kind, not the class: some toolkits' class names change from run to run.
    const std::string name = platform::KindName(kind);
    const auto same = [&](const platform::Descendant& d) {
        return platform::EqualsIgnoringCase(d.className, name) ||
               classes.KindOf(d.className, d.realClassName) == kind;
    };
    const auto n = std::count_if(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(field.index) + 1, same);
    return "control " + name + " " + std::to_string(n);
}

}  // namespace kestrel
