#include "platform/win32/form_host.h"

#include <algorithm>

#include "platform/win32/form.h"

namespace kestrel::win32 {
namespace {

BOOL CALLBACK CollectThreadWindow(HWND hwnd, LPARAM lParam) {
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hwnd);
    return TRUE;
}

}  // namespace

std::unique_ptr<forms::Form> FormHost::Load(const forms::FormDesign& design, forms::Handlers handlers) {
    // Before any window exists: a handler bound to a control the design lacks would never fire.
    handlers.CheckAgainst(design);
    forms::CheckDesign(design);
    auto form = std::make_unique<Form>(*this, design, std::move(handlers));
    form->Create();
    form->RunLoad();
    return form;
}

void FormHost::RunUntilNoForms() {
    RunWhile([this] { return !loaded_.empty(); });
}

bool FormHost::PreTranslateMessage(MSG& msg) {
    const bool consumed = PreTranslate(msg);
    ThrowPending();
    return consumed;
}

void FormHost::RunWhile(const std::function<bool()>& running) {
    MSG msg;
    while (running()) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) return;
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        Dispatch(msg);
    }
}

void FormHost::Dispatch(MSG& msg) {
    if (!PreTranslate(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    ThrowPending();
}

bool FormHost::PreTranslate(MSG& msg) {
    if (!msg.hwnd) return false;
    Form* form = FormOf(GetAncestor(msg.hwnd, GA_ROOT));
    return form && form->PreTranslate(msg);
}

Form* FormHost::FormOf(HWND window) const {
    if (!window) return nullptr;
    for (Form* form : loaded_)
        if (form->hwnd() == window) return form;
    return nullptr;
}

std::vector<HWND> FormHost::DisableAllBut(HWND modal) const {
    std::vector<HWND> windows, disabled;
    EnumThreadWindows(GetCurrentThreadId(), CollectThreadWindow, reinterpret_cast<LPARAM>(&windows));
    for (HWND w : windows) {
        if (w == modal || !IsWindowEnabled(w)) continue;
        // Hidden helper windows of the system are left alone; hidden forms are not.
        if (!IsWindowVisible(w) && !FormOf(w)) continue;
        EnableWindow(w, FALSE);
        disabled.push_back(w);
    }
    return disabled;
}

HFONT FormHost::DialogFont(int dpi) {
    Font& font = fonts_[dpi];
    if (!font) {
        const LOGFONTW message = dpi::MessageFont(dpi);
        font = Font(CreateFontIndirectW(&message));
    }
    return font.get();
}

void FormHost::Remove(Form* form) { loaded_.erase(std::remove(loaded_.begin(), loaded_.end(), form), loaded_.end()); }

void FormHost::ThrowPending() {
    if (pending_) std::rethrow_exception(std::exchange(pending_, nullptr));
}

}  // namespace kestrel::win32
