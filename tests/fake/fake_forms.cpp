#include "fake/fake_forms.h"

#include <algorithm>
#include <memory>
#include <stdexcept>

namespace kestrel::fake {

using forms::ControlKind;

namespace {

void AppendUtf8(std::string& text, std::uint16_t c) {
    if (c < 0x80) {
        text += static_cast<char>(c);
    } else if (c < 0x800) {
        text += static_cast<char>(0xC0 | (c >> 6));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        text += static_cast<char>(0xE0 | (c >> 12));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void EraseLastUtf8(std::string& text) {
    while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80) text.pop_back();
    if (!text.empty()) text.pop_back();
}

}  // namespace

FakeForm::FakeForm(FakeFormHost& host, const forms::FormDesign& design, forms::Handlers handlers)
    : host_(host), design_(design), handlers_(std::move(handlers)), id_(host.nextId_++), caption_(design.caption) {
    for (const auto& c : design_.controls) {
        texts_[c.name] = c.text;
        if (c.kind == ControlKind::ListBox) {
            items_[c.name];
            listIndex_[c.name] = -1;
        }
    }
    host_.loaded_.push_back(this);
}

FakeForm::~FakeForm() {
    *alive_ = false;
    // As the real host: the window goes without Form_Unload.
    auto& loaded = host_.loaded_;
    loaded.erase(std::remove(loaded.begin(), loaded.end(), this), loaded.end());
}

const forms::ControlDesign& FakeForm::Control(const std::string& name) const {
    for (const auto& c : design_.controls)
        if (c.name == name) return c;
    throw std::logic_error("the form " + design_.name + " has no control named " + name);
}

// The form's id with the control's place in the design: unique while the form lives.
platform::WindowId FakeForm::ControlHandle(const std::string& control) const {
    RequireLoaded();
    const auto& c = Control(control);
    return id_ * 1000 + static_cast<platform::WindowId>(&c - design_.controls.data()) + 1;
}

void FakeForm::RequireList(const std::string& name) const {
    RequireLoaded();
    if (Control(name).kind != ControlKind::ListBox) throw std::logic_error(name + " is not a list box");
}

void FakeForm::Choose(const std::string& list, int index) {
    RequireList(list);
    if (disabled_.count(list)) throw std::logic_error(list + " is disabled");
    if (index < 0 || index >= static_cast<int>(items_[list].size()))
        throw std::logic_error(list + " has no line " + std::to_string(index));
    focus_ = list;
    listIndex_[list] = index;
    RunClick(list);
}

const std::vector<std::string>& FakeForm::Items(const std::string& list) const {
    RequireList(list);
    return items_.at(list);
}

void FakeForm::SetItems(const std::string& list, const std::vector<std::string>& items) {
    RequireList(list);
    items_[list] = items;
    listIndex_[list] = -1;
}

int FakeForm::ListIndex(const std::string& list) const {
    RequireList(list);
    return listIndex_.at(list);
}

void FakeForm::SetListIndex(const std::string& list, int index) {
    RequireList(list);
    if (index < -1 || index >= static_cast<int>(items_[list].size()))
        throw Error(list + " has no line " + std::to_string(index));
    listIndex_[list] = index;
}

void FakeForm::RequireLoaded() const {
    if (!loaded_) throw Error("the form " + design_.name + " is not loaded");
}

void FakeForm::Log(const std::string& what) { host_.log.push_back(what + ":" + design_.name); }

void FakeForm::RunClick(const std::string& control) {
    const auto click = handlers_.Click(control);  // a copy: the handler may destroy this form
    if (click) click();
}

void FakeForm::Click(const std::string& control) {
    RequireLoaded();
    if (!forms::IsClickable(design_, control)) throw std::logic_error("the form " + design_.name + " has no button or menu item named " + control);
    RunClick(control);
}

void FakeForm::KeyDown(const std::string& box, std::int16_t keyCode, std::int16_t shift) {
    RequireLoaded();
    if (Control(box).kind != ControlKind::TextBox) throw std::logic_error(box + " is not a text box");
    if (disabled_.count(box)) throw std::logic_error(box + " is disabled");
    const auto keyDown = handlers_.KeyDown(box);
    if (!keyDown) return;
    forms::KeyDownArgs args{keyCode, shift};
    keyDown(args);
}

void FakeForm::KeyPress(const std::string& box, std::int16_t keyAscii) {
    RequireLoaded();
    if (Control(box).kind != ControlKind::TextBox) throw std::logic_error(box + " is not a text box");
    if (disabled_.count(box)) throw std::logic_error(box + " is disabled");
    if (const auto keyPress = handlers_.KeyPress(box)) {
        const auto alive = alive_;
        keyPress(keyAscii);
        if (!*alive || !loaded_) return;
    }
    if (keyAscii == 0) return;
    auto& text = texts_[box];
    const auto before = text;
    if (keyAscii == 8)
        EraseLastUtf8(text);
    else if (static_cast<std::uint16_t>(keyAscii) >= 32)
        AppendUtf8(text, static_cast<std::uint16_t>(keyAscii));
    if (text != before) RunChange(box);
}

void FakeForm::RunChange(const std::string& box) {
    const auto change = handlers_.Change(box);  // a copy: the handler may destroy this form
    if (change) change();
}

void FakeForm::Type(const std::string& box, const std::string& ascii) {
    for (char c : ascii) KeyPress(box, static_cast<std::int16_t>(static_cast<unsigned char>(c)));
}

void FakeForm::PressEnter(const std::string& control) {
    RequireLoaded();
    Control(control);
    const auto& own = Control(control).enterButton;
    if (!own.empty())
        RunClick(own);
    else if (!design_.defaultButton.empty())
        RunClick(design_.defaultButton);
}

void FakeForm::PressEsc() {
    RequireLoaded();
    if (!design_.cancelButton.empty()) RunClick(design_.cancelButton);
}

std::string FakeForm::Text(const std::string& control) const {
    RequireLoaded();
    if (const auto list = items_.find(control); list != items_.end()) {
        const int index = listIndex_.at(control);
        return index < 0 ? std::string() : list->second[static_cast<std::size_t>(index)];
    }
    const auto found = texts_.find(control);
    if (found == texts_.end()) throw Error("the form " + design_.name + " has no control named " + control);
    return found->second;
}

void FakeForm::SetText(const std::string& control, const std::string& text) {
    RequireLoaded();
    if (items_.count(control)) throw Error(control + " is a list box: it takes SetItems");
    const auto found = texts_.find(control);
    if (found == texts_.end()) throw Error("the form " + design_.name + " has no control named " + control);
    found->second = text;
    // As an edit control: setting its text is a change too.
    if (Control(control).kind == ControlKind::TextBox) RunChange(control);
}

std::string FakeForm::Caption() const {
    RequireLoaded();
    return caption_;
}

void FakeForm::SetCaption(const std::string& text) {
    RequireLoaded();
    caption_ = text;
}

void FakeForm::SetFocus(const std::string& control) {
    RequireLoaded();
    if (!texts_.count(control)) throw Error("the form " + design_.name + " has no control named " + control);
    if (!forms::TakesFocus(Control(control).kind)) throw Error(control + " cannot take the focus");
    focus_ = control;
}

void FakeForm::SetEnabled(const std::string& control, bool enabled) {
    RequireLoaded();
    Control(control);
    if (enabled)
        disabled_.erase(control);
    else
        disabled_.insert(control);
}

bool FakeForm::Enabled(const std::string& control) const {
    RequireLoaded();
    Control(control);
    return !disabled_.count(control);
}

void FakeForm::Show() {
    RequireLoaded();
    Log("show");
    Reveal();
}

// As the real host: the focus goes where SetFocus put it, else to the first
// control in tab order that can take it.
void FakeForm::Reveal() {
    visible_ = true;
    if (!focus_.empty()) return;
    const forms::ControlDesign* first = nullptr;
    for (const auto& c : design_.controls)
        if (forms::TakesFocus(c.kind) && (!first || c.tabIndex < first->tabIndex)) first = &c;
    if (first) focus_ = first->name;
}

void FakeForm::ShowModal() {
    RequireLoaded();
    Log("modal");
    Reveal();
    modal_ = true;
    const auto alive = alive_;
    if (host_.onShowModal) host_.onShowModal(*this);
    if (*alive) modal_ = false;
}

void FakeForm::Hide() {
    RequireLoaded();
    Log("hide");
    visible_ = false;
}

void FakeForm::SetWindowState(forms::WindowState state) {
    RequireLoaded();
    state_ = state;
}

void FakeForm::Unload() {
    if (!loaded_ || unloading_) return;
    bool cancel = false;
    if (handlers_.unload) {
        const auto unload = handlers_.unload;
        unloading_ = true;
        unload(cancel);
        unloading_ = false;
    }
    if (cancel || !loaded_) return;
    loaded_ = false;
    visible_ = false;
    modal_ = false;
    focus_.clear();
    auto& loaded = host_.loaded_;
    loaded.erase(std::remove(loaded.begin(), loaded.end(), this), loaded.end());
    Log("unload");
}

void FakeForm::PopupMenu(const std::string& menu) {
    RequireLoaded();
    const auto found = std::find_if(design_.menus.begin(), design_.menus.end(),
                                    [&](const forms::MenuDesign& m) { return m.name == menu; });
    if (found == design_.menus.end()) throw Error("the form " + design_.name + " has no menu named " + menu);
    host_.log.push_back("popup:" + design_.name + "." + menu);
    if (host_.menuChoices.empty()) return;
    const std::string choice = host_.menuChoices.front();
    host_.menuChoices.pop_front();
    if (choice.empty()) return;
    const bool offered = std::any_of(found->items.begin(), found->items.end(), [&](const forms::MenuItemDesign& item) {
        return item.name == choice && !item.IsSeparator();
    });
    if (!offered) throw std::logic_error("the menu " + menu + " has no item named " + choice);
    RunClick(choice);
}

std::unique_ptr<forms::Form> FakeFormHost::Load(const forms::FormDesign& design, forms::Handlers handlers) {
    handlers.CheckAgainst(design);
    forms::CheckDesign(design);
    log.push_back("load:" + design.name);
    loads.push_back(design.name);
    auto form = std::make_unique<FakeForm>(*this, design, std::move(handlers));
    if (form->handlers_.load) {
        const auto load = form->handlers_.load;
        load(*form);
    }
    return form;
}

FakeForm* FakeFormHost::Find(const std::string& designName) const {
    for (auto it = loaded_.rbegin(); it != loaded_.rend(); ++it)
        if ((*it)->Name() == designName) return *it;
    return nullptr;
}

FakeForm& FakeFormHost::Get(const std::string& designName) const {
    FakeForm* form = Find(designName);
    if (!form) throw std::logic_error("no form " + designName + " is loaded");
    return *form;
}

void FakeFormHost::RunUntilNoForms() {
    log.push_back("run");
    if (onRun) onRun(*this);
}

}  // namespace kestrel::fake
