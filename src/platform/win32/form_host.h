#pragma once
#include <windows.h>

#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/forms.h"
#include "platform/win32/handles.h"

namespace kestrel::win32 {

class Form;

// Renders designs into real windows on the thread that loads them, and runs
// the message loops the forms need: the program's, and a modal form's.
class FormHost final : public forms::FormHost {
public:
    FormHost() = default;
    FormHost(const FormHost&) = delete;
    FormHost& operator=(const FormHost&) = delete;

    std::unique_ptr<forms::Form> Load(const forms::FormDesign& design, forms::Handlers handlers) override;
    void RunUntilNoForms() override;
    int LoadedForms() const override { return static_cast<int>(loaded_.size()); }

    // Gives the loaded forms' keyboard interface (Tab, access keys, Enter,
    // Esc) its turn at a message a loop outside the host has just taken from
    // the queue; true when it is consumed, and the loop then skips
    // TranslateMessage and DispatchMessage. Throws what a handler left behind.
    bool PreTranslateMessage(MSG& msg);

private:
    friend class Form;

    // Takes and dispatches messages while `running` holds. A WM_QUIT ends the
    // loop and is posted again for the loop that ends the program.
    void RunWhile(const std::function<bool()>& running);
    void Dispatch(MSG& msg);
    bool PreTranslate(MSG& msg);
    Form* FormOf(HWND window) const;
    // The thread's enabled windows but `modal`: forms, hidden ones too, and
    // visible windows of any other kind. Disables them and returns them.
    std::vector<HWND> DisableAllBut(HWND modal) const;
    // The message font at a monitor's DPI, made once for each DPI asked for.
    HFONT DialogFont(int dpi);
    void Add(Form* form) { loaded_.push_back(form); }
    void Remove(Form* form);

    // An exception cannot travel through the system's frames between a window
    // procedure and the loop that dispatched to it: it is kept here and thrown
    // again from the host's loop.
    void Keep(std::exception_ptr error) {
        if (!pending_) pending_ = error;
    }
    void ThrowPending();

    std::map<int, Font> fonts_;  // by DPI
    std::vector<Form*> loaded_;
    std::exception_ptr pending_;
};

}  // namespace kestrel::win32
