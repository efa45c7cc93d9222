#pragma once
// Forms without windows for the native tests. The host records what the code
// does with its forms; a test works a form as a user would (types into a box,
// clicks, presses Enter or Esc, closes it, picks from a pop-up menu) and reads
// back its texts, focus, caption and state.
//
// Install it next to the fake desktop:
//     auto services = desk.Services();
//     services.forms = &host;
//     platform::ScopedServices scope(services);

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/forms.h"

namespace kestrel::fake {

class FakeFormHost;

class FakeForm final : public forms::Form {
public:
    FakeForm(FakeFormHost& host, const forms::FormDesign& design, forms::Handlers handlers);
    ~FakeForm() override;
    FakeForm(const FakeForm&) = delete;
    FakeForm& operator=(const FakeForm&) = delete;

    const forms::FormDesign& Design() const { return design_; }
    const std::string& Name() const { return design_.name; }
    std::string Focus() const { return focus_; }  // the focused control's name; empty when none
    bool Modal() const { return modal_; }         // shown modally and not yet returned

    // What a user does. Each throws std::logic_error for a control the form
    // does not have or that cannot do it, so that a mistyped name fails the test.
    void Click(const std::string& control);  // a button or menu item's "_Click"
    void KeyDown(const std::string& box, std::int16_t keyCode, std::int16_t shift = 0);
    // As a real box: the handler first, then (unless it set the code to 0) the
    // character it left goes into the box: 8 deletes the last one, other
    // control codes are ignored.
    void KeyPress(const std::string& box, std::int16_t keyAscii);
    void Type(const std::string& box, const std::string& ascii);  // KeyPress per character
    // Chooses a list box's line as a click or an arrow key would: its Click
    // handler runs.
    void Choose(const std::string& list, int index);
    const std::vector<std::string>& Items(const std::string& list) const;
    // Enter and Esc press only the design's default and cancel buttons, whatever
    // control has the focus (Enter in a box with its own Enter button presses
    // that one); with none named they do nothing. SetText on a text box, and
    // a KeyPress that edits it, run its Change handler.
    void PressEnter(const std::string& control);
    void PressEsc();
    void CloseBox() { Unload(); }

    // forms::Form
    bool Loaded() const override { return loaded_; }
    platform::WindowId Handle() const override { return loaded_ ? id_ : 0; }
    platform::WindowId ControlHandle(const std::string& control) const override;
    std::string Text(const std::string& control) const override;
    void SetText(const std::string& control, const std::string& text) override;
    void SetItems(const std::string& list, const std::vector<std::string>& items) override;
    int ListIndex(const std::string& list) const override;
    void SetListIndex(const std::string& list, int index) override;
    std::string Caption() const override;
    void SetCaption(const std::string& text) override;
    void SetFocus(const std::string& control) override;
    void SetEnabled(const std::string& control, bool enabled) override;
    bool Enabled(const std::string& control) const override;
    void Show() override;
    // Runs the host's onShowModal hook while the form counts as modal, then
    // returns, whether or not the hook unloaded the form; without a hook it
    // returns at once. A test that expects the dialog closed checks Loaded().
    void ShowModal() override;
    void Hide() override;
    bool Visible() const override { return visible_; }
    void SetWindowState(forms::WindowState state) override;
    forms::WindowState GetWindowState() const override { return state_; }
    void Unload() override;
    // Takes the next of the host's menu choices: that item's click runs; an
    // empty choice, or none queued, dismisses the menu.
    void PopupMenu(const std::string& menu) override;

private:
    const forms::ControlDesign& Control(const std::string& name) const;
    void RequireList(const std::string& name) const;
    void RequireLoaded() const;
    void Log(const std::string& what);
    void Reveal();
    void RunClick(const std::string& control);
    void RunChange(const std::string& box);

    FakeFormHost& host_;
    forms::FormDesign design_;
    forms::Handlers handlers_;
    platform::WindowId id_;
    std::map<std::string, std::string> texts_;
    std::map<std::string, std::vector<std::string>> items_;  // list boxes'
    std::map<std::string, int> listIndex_;
    std::set<std::string> disabled_;
    std::string caption_;
    std::string focus_;
    bool loaded_ = true;
    bool visible_ = false;
    bool modal_ = false;
    bool unloading_ = false;
    forms::WindowState state_ = forms::WindowState::Normal;
    // Handlers may destroy the form they were called for; code after a call checks this.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    friend class FakeFormHost;
};

// Outlives every form it loads.
class FakeFormHost final : public forms::FormHost {
public:
    // What the code did, in order: "load:frmX", "show:frmX", "modal:frmX",
    // "hide:frmX", "unload:frmX", "popup:frmX.Options", "run".
    std::vector<std::string> log;
    std::vector<std::string> loads;  // design names, in load order

    // Called when a form is shown modally, while it is "open".
    std::function<void(FakeForm&)> onShowModal;
    // Called by RunUntilNoForms, standing for the user's session; it returns
    // when the hook does (at once without one), loaded forms or not.
    std::function<void(FakeFormHost&)> onRun;
    // Menu item names chosen by the next pop-up menus, one per menu; "" dismisses.
    std::deque<std::string> menuChoices;
    void ChooseMenuItem(const std::string& item) { menuChoices.push_back(item); }

    // The most recently loaded form of that design still loaded; nullptr if none.
    FakeForm* Find(const std::string& designName) const;
    FakeForm& Get(const std::string& designName) const;  // throws std::logic_error when none

    // forms::FormHost
    std::unique_ptr<forms::Form> Load(const forms::FormDesign& design, forms::Handlers handlers) override;
    void RunUntilNoForms() override;
    int LoadedForms() const override { return static_cast<int>(loaded_.size()); }

private:
    friend class FakeForm;
    std::vector<FakeForm*> loaded_;
    platform::WindowId nextId_ = 0x1000;
};

}  // namespace kestrel::fake
