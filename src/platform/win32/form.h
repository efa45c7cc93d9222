#pragma once
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/forms.h"
#include "platform/win32/form_builder.h"
#include "platform/win32/form_menus.h"
#include "platform/win32/form_layout.h"

namespace kestrel::win32 {

class FormHost;

// A design rendered into a real window: a plain top-level window whose
// controls the host's own dialog handling drives, so that the designs keep
// their behaviour (no default button unless one is named, Alt chords as keys
// in a key-capturing box, pop-up menus on a hidden window).
class Form final : public forms::Form {
public:
    Form(FormHost& host, const forms::FormDesign& design, forms::Handlers handlers);
    ~Form() override;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Creates the window and its controls, hidden; throws Error.
    void Create();
    void RunLoad();

    bool Loaded() const override { return hwnd_ != nullptr; }
    platform::WindowId Handle() const override { return reinterpret_cast<platform::WindowId>(hwnd_); }
    platform::WindowId ControlHandle(const std::string& control) const override {
        return reinterpret_cast<platform::WindowId>(Find(control).hwnd);
    }
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
    void ShowModal() override;
    void Hide() override;
    bool Visible() const override { return hwnd_ && IsWindowVisible(hwnd_); }
    void SetWindowState(forms::WindowState state) override;
    forms::WindowState GetWindowState() const override;
    void Unload() override;
    void PopupMenu(const std::string& menu) override;

    HWND hwnd() const { return hwnd_; }
    // The form's turn at a message taken from the queue for one of its
    // windows: true when it is consumed.
    bool PreTranslate(MSG& msg);

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK BoxProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR data);
    static Form* Of(HWND window) { return reinterpret_cast<Form*>(GetWindowLongPtrW(window, 0)); }

    LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // A text box's message before the box sees it: true when it is consumed.
    // A KeyPress handler may change the character in `wParam`.
    bool BoxMessage(HWND box, UINT msg, WPARAM& wParam);
    void Detach();
    // The layout, font, icons and frame at the DPI of the monitor the window
    // is now on; the window goes to `suggested`'s top left.
    void LayOutAt(int dpi, const RECT& suggested);

    void RequireLoaded() const;
    const Control& Find(const std::string& name) const;
    Control& Find(const std::string& name);
    const Control& FindList(const std::string& name) const;
    const Control* ById(int id) const;
    const Control* ByWindow(HWND hwnd) const;
    // A text box with a KeyDown handler takes Alt chords as keys, not as menu or access keys.
    bool CapturesKeys(HWND hwnd) const;
    void Click(const std::string& control);
    void PressButton(const std::string& name);
    void RestoreFocus(bool formMayKeepFocus = false);
    void Paint(HWND hwnd);
    void EndModal();
    // A form may go while a message sent from elsewhere is handled (a click
    // sent by another program, a WM_CLOSE from a task manager): GetMessage
    // then returns nothing, and a loop waiting for the form to go would wait
    // on. An empty posted message makes it look again.
    static void WakeMessageLoops() { PostMessageW(nullptr, WM_NULL, 0, 0); }

    FormHost& host_;
    forms::FormDesign design_;
    forms::Handlers handlers_;
    FormLayout layout_;
    HWND hwnd_ = nullptr;
    std::vector<Control> controls_;  // in tab order
    FormMenus menus_;
    HWND lastFocus_ = nullptr;
    std::optional<forms::WindowState> pendingState_;
    bool modal_ = false;
    bool unloading_ = false;
    std::vector<HWND> disabled_;  // by the modal form
    // Handlers may destroy the form they were called for; code after a call checks this.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace kestrel::win32
