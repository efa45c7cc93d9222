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

std::optional<std::string> PickedValueFrom(const std::vector<platform::ChildWindow>& all, platform::WindowId control,
                                           const platform::ControlClasses& classes) {
    const auto at = std::find_if(all.begin(), all.end(), [&](const auto& d) { return d.id == control; });
    if (at == all.end()) return std::nullopt;
    const auto& picked = *at;
    const auto kind = classes.KindOf(picked.className, picked.realClassName);
    if (!Readable(kind)) return std::nullopt;
    const auto id = picked.controlId;
    if (Naming(id) && std::count_if(all.begin(), all.end(), [&](const auto& d) { return d.controlId == id; }) == 1)
        return "control #" + std::to_string(id);
    // The kind, not the class: some toolkits' class names change from run to run.
    const std::string name = platform::KindName(kind);
    const auto same = [&](const platform::ChildWindow& d) {
        return platform::EqualsIgnoringCase(d.className, name) ||
               classes.KindOf(d.className, d.realClassName) == kind;
    };
    const auto n = std::count_if(all.begin(), at + 1, same);
    return "control " + name + " " + std::to_string(n);
}

}  // namespace kestrel
