#include "platform/forms.h"

#include <algorithm>

namespace kestrel::forms {
namespace {

bool HasControl(const FormDesign& design, const std::string& name, ControlKind kind) {
    return std::any_of(design.controls.begin(), design.controls.end(),
                       [&](const ControlDesign& c) { return c.name == name && c.kind == kind; });
}

bool HasMenuItem(const FormDesign& design, const std::string& name) {
    for (const auto& menu : design.menus)
        for (const auto& item : menu.items)
            if (item.name == name && !item.IsSeparator()) return true;
    return false;
}

template <typename Map>
typename Map::mapped_type Lookup(const Map& map, const std::string& name) {
    const auto found = map.find(name);
    return found == map.end() ? typename Map::mapped_type{} : found->second;
}

}  // namespace

bool IsClickable(const FormDesign& design, const std::string& name) {
    return HasControl(design, name, ControlKind::Button) || HasMenuItem(design, name);
}

void CheckDesign(const FormDesign& design) {
    const auto& controls = design.controls;
    for (std::size_t i = 0; i < controls.size(); ++i)
        for (std::size_t j = 0; j < i; ++j)
            if (controls[j].name == controls[i].name)
                throw Error("the form " + design.name + " has two controls named " + controls[i].name);
    for (const std::string* button : {&design.defaultButton, &design.cancelButton})
        if (!button->empty() && !HasControl(design, *button, ControlKind::Button))
            throw Error("the form " + design.name + " has no button named " + *button);
    for (const auto& c : controls)
        if (!c.enterButton.empty() && !HasControl(design, c.enterButton, ControlKind::Button))
            throw Error("the form " + design.name + " has no button named " + c.enterButton);
}

Handlers& Handlers::OnClick(const std::string& control, std::function<void()> handler) {
    click_[control] = std::move(handler);
    return *this;
}

Handlers& Handlers::OnKeyDown(const std::string& box, std::function<void(KeyDownArgs&)> handler) {
    keyDown_[box] = std::move(handler);
    return *this;
}

Handlers& Handlers::OnKeyPress(const std::string& box, std::function<void(std::int16_t&)> handler) {
    keyPress_[box] = std::move(handler);
    return *this;
}

Handlers& Handlers::OnChange(const std::string& box, std::function<void()> handler) {
    change_[box] = std::move(handler);
    return *this;
}

std::function<void()> Handlers::Click(const std::string& control) const { return Lookup(click_, control); }
std::function<void(KeyDownArgs&)> Handlers::KeyDown(const std::string& box) const { return Lookup(keyDown_, box); }
std::function<void(std::int16_t&)> Handlers::KeyPress(const std::string& box) const {
    return Lookup(keyPress_, box);
}
std::function<void()> Handlers::Change(const std::string& box) const { return Lookup(change_, box); }

void Handlers::CheckAgainst(const FormDesign& design) const {
    const auto fail = [&](const std::string& event, const std::string& name, const char* what) {
        throw Error("the form " + design.name + " has no " + what + " named " + name + " for the " + event +
                    " handler");
    };
    for (const auto& [name, handler] : click_)
        if (!IsClickable(design, name) && !HasControl(design, name, ControlKind::ListBox))
            fail("Click", name, "button, menu item or list box");
    for (const auto& [name, handler] : keyDown_)
        if (!HasControl(design, name, ControlKind::TextBox)) fail("KeyDown", name, "text box");
    for (const auto& [name, handler] : keyPress_)
        if (!HasControl(design, name, ControlKind::TextBox)) fail("KeyPress", name, "text box");
    for (const auto& [name, handler] : change_)
        if (!HasControl(design, name, ControlKind::TextBox)) fail("Change", name, "text box");
}

}  // namespace kestrel::forms
