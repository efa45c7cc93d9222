#include "platform/win32/form.h"

#include <algorithm>

#include "platform/error.h"
#include "platform/key_codes.h"
#include "platform/win32/form_host.h"
#include "platform/win32/handles.h"
#include "platform/win32/text.h"

namespace kestrel::win32 {
namespace {

using forms::ControlKind;
using forms::WindowState;

std::int16_t ShiftMask() {
    return static_cast<std::int16_t>((GetKeyState(VK_SHIFT) < 0 ? platform::kShiftMaskShift : 0) |
                                     (GetKeyState(VK_CONTROL) < 0 ? platform::kShiftMaskControl : 0) |
                                     (GetKeyState(VK_MENU) < 0 ? platform::kShiftMaskAlt : 0));
}

std::wstring WindowText(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
    return text;
}

bool HasWindowText(const Control& c) {
    return c.hwnd && c.design.kind != ControlKind::Picture && c.design.kind != ControlKind::Line &&
           c.design.kind != ControlKind::ListBox;
}

std::string ChosenLine(HWND list) {
    const auto index = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR) return {};
    const auto length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const auto got = SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(got == LB_ERR ? 0 : static_cast<std::size_t>(got));
    return Narrow(text);
}

}  // namespace

Form::Form(FormHost& host, const forms::FormDesign& design, forms::Handlers handlers)
    : host_(host), design_(design), handlers_(std::move(handlers)) {}

Form::~Form() {
    *alive_ = false;
    if (!hwnd_) return;
    // Not the unload handler: its owner is going away and could not honour a cancel.
    EndModal();
    const HWND hwnd = hwnd_;
    Detach();
    DestroyWindow(hwnd);
}

void Form::Create() {
    const int systemDpi = Scale::OfScreen().dpiX();
    layout_ = FormLayout(design_, Scale::OfDpi(systemDpi), host_.DialogFont(systemDpi));
    const FormBuilder builder(design_, layout_);
    controls_ = builder.PlanControls();
    // Attached in WM_NCCREATE, so that the form sees its window's first messages.
    builder.CreateFrame(Procedure, this);
    host_.Add(this);
    menus_ = FormMenus(design_.menus);
    builder.CreateControls(hwnd_, controls_, host_.DialogFont(systemDpi), BoxProcedure);
    // Made where Windows chose, which may be a monitor of another DPI than the main one.
    if (const int dpi = dpi::OfWindow(hwnd_); dpi != systemDpi) {
        RECT window{};
        GetWindowRect(hwnd_, &window);
        LayOutAt(dpi, window);
    }
}

void Form::LayOutAt(int dpi, const RECT& suggested) {
    const HFONT font = host_.DialogFont(dpi);
    layout_ = FormLayout(design_, Scale::OfDpi(dpi), font);
    const FormBuilder builder(design_, layout_);
    // Windows suggests the old size scaled; the labels' text in the new font
    // may need more, so only the place is taken from it.
    const RECT frame = builder.Frame();
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    for (const auto& c : controls_)
        if (c.hwnd) SendMessageW(c.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    builder.SetIcons(hwnd_, controls_);
    builder.PlaceControls(controls_);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void Form::RunLoad() {
    if (!handlers_.load) return;
    const auto load = handlers_.load;
    load(*this);
}

std::string Form::Text(const std::string& control) const {
    const Control& c = Find(control);
    if (c.design.kind == ControlKind::ListBox) return ChosenLine(c.hwnd);
    if (!HasWindowText(c)) return c.design.text;
    return Narrow(WindowText(c.hwnd));
}

void Form::SetText(const std::string& control, const std::string& text) {
    Control& c = Find(control);
    if (c.design.kind == ControlKind::ListBox) throw Error(control + " is a list box: it takes SetItems");
    c.design.text = text;
    if (HasWindowText(c)) SetWindowTextW(c.hwnd, Widen(text).c_str());
}

void Form::SetItems(const std::string& list, const std::vector<std::string>& items) {
    const Control& c = FindList(list);
    SendMessageW(c.hwnd, WM_SETREDRAW, FALSE, 0);
    SendMessageW(c.hwnd, LB_RESETCONTENT, 0, 0);
    for (const auto& item : items) {
        const auto text = Widen(item);
        const auto added = SendMessageW(c.hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        if (added == LB_ERR || added == LB_ERRSPACE) {
            SendMessageW(c.hwnd, WM_SETREDRAW, TRUE, 0);
            throw Error("cannot fill the list " + list);
        }
    }
    SendMessageW(c.hwnd, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(c.hwnd, nullptr, TRUE);
}

int Form::ListIndex(const std::string& list) const {
    const auto index = SendMessageW(FindList(list).hwnd, LB_GETCURSEL, 0, 0);
    return index == LB_ERR ? -1 : static_cast<int>(index);
}

void Form::SetListIndex(const std::string& list, int index) {
    const Control& c = FindList(list);
    const auto count = SendMessageW(c.hwnd, LB_GETCOUNT, 0, 0);
    if (index < -1 || index >= count) throw Error(list + " has no line " + std::to_string(index));
    SendMessageW(c.hwnd, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::string Form::Caption() const {
    RequireLoaded();
    return Narrow(WindowText(hwnd_));
}

void Form::SetCaption(const std::string& text) {
    RequireLoaded();
    SetWindowTextW(hwnd_, Widen(text).c_str());
}

void Form::SetFocus(const std::string& control) {
    const Control& c = Find(control);
    if (!forms::TakesFocus(c.design.kind)) throw Error(control + " cannot take the focus");
    lastFocus_ = c.hwnd;
    if (IsWindowVisible(hwnd_)) ::SetFocus(c.hwnd);
}

void Form::SetEnabled(const std::string& control, bool enabled) {
    const Control& c = Find(control);
    if (c.hwnd) EnableWindow(c.hwnd, enabled ? TRUE : FALSE);
}

bool Form::Enabled(const std::string& control) const {
    const Control& c = Find(control);
    return !c.hwnd || IsWindowEnabled(c.hwnd) != FALSE;
}

void Form::Show() {
    RequireLoaded();
    int command = SW_SHOW;
    if (pendingState_ == WindowState::Minimized) command = SW_SHOWMINIMIZED;
    if (pendingState_ == WindowState::Maximized) command = SW_SHOWMAXIMIZED;
    pendingState_.reset();
    ShowWindow(hwnd_, command);
    if (command == SW_SHOWMINIMIZED) return;
    SetForegroundWindow(hwnd_);
    const HWND focus = GetFocus();
    if (!focus || !IsChild(hwnd_, focus)) RestoreFocus();
}

void Form::ShowModal() {
    RequireLoaded();
    if (modal_) return;
    disabled_ = host_.DisableAllBut(hwnd_);
    modal_ = true;
    const auto alive = alive_;
    struct Restore {
        Form* form;
        std::shared_ptr<bool> alive;
        ~Restore() {
            if (*alive) form->EndModal();
        }
    } restore{this, alive};
    Show();
    // A modal form that is hidden is done with too: nothing else could be used meanwhile.
    host_.RunWhile([&] { return *alive && hwnd_ && IsWindowVisible(hwnd_); });
}

void Form::Hide() {
    RequireLoaded();
    ShowWindow(hwnd_, SW_HIDE);
    WakeMessageLoops();
}

void Form::SetWindowState(WindowState state) {
    RequireLoaded();
    if (!IsWindowVisible(hwnd_)) {
        pendingState_ = state;  // a hidden window shows itself when its state changes
        return;
    }
    if (state == WindowState::Minimized) {
        ShowWindow(hwnd_, SW_MINIMIZE);
    } else if (state == WindowState::Maximized) {
        ShowWindow(hwnd_, SW_MAXIMIZE);
    } else {
        // Restoring a window minimised from maximised brings it back maximised.
        if (IsIconic(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
        if (IsZoomed(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
    }
}

WindowState Form::GetWindowState() const {
    if (!hwnd_) return WindowState::Normal;
    if (!IsWindowVisible(hwnd_) && pendingState_) return *pendingState_;
    if (IsIconic(hwnd_)) return WindowState::Minimized;
    if (IsZoomed(hwnd_)) return WindowState::Maximized;
    return WindowState::Normal;
}

void Form::Unload() {
    if (!hwnd_ || unloading_) return;
    bool cancel = false;
    if (handlers_.unload) {
        const auto alive = alive_;
        const auto unload = handlers_.unload;
        unloading_ = true;
        try {
            unload(cancel);
        } catch (...) {
            if (*alive) unloading_ = false;
            throw;
        }
        if (!*alive) return;
        unloading_ = false;
    }
    if (cancel || !hwnd_) return;
    // Before the window goes, so that activation returns to the windows it disabled.
    EndModal();
    DestroyWindow(hwnd_);
    WakeMessageLoops();
}

void Form::PopupMenu(const std::string& menu) {
    RequireLoaded();
    if (!menus_.Has(menu)) throw Error("the form " + design_.name + " has no menu named " + menu);
    if (const auto chosen = menus_.Track(menu, hwnd_)) Click(*chosen);
}

bool Form::PreTranslate(MSG& msg) {
    if (msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE)) {
        // Only the design's buttons answer Enter and Esc, whichever control has the focus.
        const Control* box = ByWindow(msg.hwnd);
        if (msg.wParam == VK_RETURN)
            PressButton(box && !box->design.enterButton.empty() ? box->design.enterButton : design_.defaultButton);
        else
            PressButton(design_.cancelButton);
        return true;
    }
    // Left to the box, which swallows it, rather than pressing a button with that access key.
    if (msg.message == WM_SYSCHAR && CapturesKeys(msg.hwnd)) return false;
    return IsDialogMessageW(hwnd_, &msg) != FALSE;
}

LRESULT CALLBACK Form::Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Form* form = nullptr;
    if (msg == WM_NCCREATE) {
        form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(form));
        form->hwnd_ = hwnd;
    } else {
        form = Of(hwnd);
    }
    if (!form) return DefWindowProcW(hwnd, msg, wParam, lParam);
    try {
        return form->HandleMessage(hwnd, msg, wParam, lParam);
    } catch (...) {
        form->host_.Keep(std::current_exception());
        return 0;
    }
}

// A text box of a form: the form is in its parent's extra bytes.
LRESULT CALLBACK Form::BoxProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
    if (msg == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, BoxProcedure, id);
        return DefSubclassProc(hwnd, msg, wParam, lParam);
    }
    if (Form* form = Of(GetParent(hwnd))) {
        try {
            if (form->BoxMessage(hwnd, msg, wParam)) return 0;
        } catch (...) {
            form->host_.Keep(std::current_exception());
            return 0;
        }
        if (!IsWindow(hwnd)) return 0;  // a handler closed the form
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

LRESULT Form::HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam), code = HIWORD(wParam);
        if (!lParam && code == 0 && id >= static_cast<int>(FormMenus::kFirstItemId)) {
            if (const auto item = menus_.ItemOf(static_cast<UINT>(id))) Click(*item);
        } else if (id == IDOK && code == BN_CLICKED) {
            PressButton(design_.defaultButton);
        } else if (id == IDCANCEL && code == BN_CLICKED) {
            PressButton(design_.cancelButton);
        } else if (lParam && code == BN_CLICKED) {
            const Control* c = ById(id);
            if (c && c->design.kind == ControlKind::Button) Click(c->design.name);
        } else if (lParam && code == LBN_SELCHANGE) {
            const Control* c = ById(id);
            if (c && c->design.kind == ControlKind::ListBox) Click(c->design.name);
        } else if (lParam && code == EN_CHANGE) {
            const Control* c = ById(id);
            // A copy: the handler may unload and destroy this form.
            if (const auto change = c ? handlers_.Change(c->design.name) : nullptr) change();
        }
        return 0;
    }
    case DM_GETDEFID:
        for (const auto& c : controls_)
            if (!design_.defaultButton.empty() && c.design.name == design_.defaultButton)
                return MAKELRESULT(c.id, DC_HASDEFID);
        return 0;
    case WM_NEXTDLGCTL: {
        // What the dialog manager sends for a label's access key: the focus
        // to the control after the label, as a dialog's own procedure does.
        HWND next = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                   : GetNextDlgTabItem(hwnd, GetFocus(), wParam != 0);
        if (next && IsChild(hwnd, next)) {
            if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(next, EM_SETSEL, 0, -1);
            ::SetFocus(next);
        }
        return 0;
    }
    case WM_CLOSE:
        Unload();
        return 0;
    case WM_SYSCOMMAND:
        // Alt (or F10) released in a key-capturing box would otherwise enter the menu.
        if ((wParam & 0xFFF0) == SC_KEYMENU && CapturesKeys(GetFocus())) return 0;
        break;
    case WM_PAINT:
        Paint(hwnd);
        return 0;
    case WM_ACTIVATE:
        // As a dialog does: the focus leaves with the form and comes back to the same control.
        if (LOWORD(wParam) == WA_INACTIVE) {
            const HWND focus = GetFocus();
            if (focus && IsChild(hwnd, focus)) lastFocus_ = focus;
        } else if (!HIWORD(wParam)) {
            RestoreFocus();
        }
        return 0;
    case WM_SETFOCUS:
        RestoreFocus(true);
        return 0;
    case WM_DPICHANGED:
        // Moved to a monitor of another DPI, or that monitor's DPI changed.
        LayOutAt(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_DESTROY:
        EndModal();
        break;
    case WM_NCDESTROY:
        Detach();
        break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

bool Form::BoxMessage(HWND box, UINT msg, WPARAM& wParam) {
    const Control* c = ByWindow(box);
    if (!c) return false;
    switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (const auto keyDown = handlers_.KeyDown(c->design.name)) {
            forms::KeyDownArgs args{static_cast<std::int16_t>(wParam), ShiftMask()};
            keyDown(args);
            // A handler that took the key keeps it from the box: Delete, the
            // arrows and Shift+Insert edit in the key-down, not as characters.
            return args.keyCode == 0;
        }
        return false;
    case WM_SYSCHAR:
        // The chord went to KeyDown; here it would only beep for a missing menu.
        return CapturesKeys(box);
    case WM_CHAR:
        if (const auto keyPress = handlers_.KeyPress(c->design.name)) {
            auto keyAscii = static_cast<std::int16_t>(wParam);
            keyPress(keyAscii);
            if (keyAscii == 0) return true;
            wParam = static_cast<std::uint16_t>(keyAscii);
        }
        return false;
    }
    return false;
}

// The window is going or gone: the form lets go of it and of its controls.
void Form::Detach() {
    if (hwnd_) SetWindowLongPtrW(hwnd_, 0, 0);
    hwnd_ = nullptr;
    for (auto& c : controls_) c.hwnd = nullptr;
    lastFocus_ = nullptr;
    host_.Remove(this);
}

void Form::RequireLoaded() const {
    if (!hwnd_) throw Error("the form " + design_.name + " is not loaded");
}

const Control& Form::Find(const std::string& name) const {
    RequireLoaded();
    for (const auto& c : controls_)
        if (c.design.name == name) return c;
    throw Error("the form " + design_.name + " has no control named " + name);
}

const Control& Form::FindList(const std::string& name) const {
    const Control& c = Find(name);
    if (c.design.kind != ControlKind::ListBox) throw Error(name + " is not a list box");
    return c;
}

Control& Form::Find(const std::string& name) {
    return const_cast<Control&>(static_cast<const Form*>(this)->Find(name));
}

const Control* Form::ById(int id) const {
    for (const auto& c : controls_)
        if (c.id == id) return &c;
    return nullptr;
}

const Control* Form::ByWindow(HWND hwnd) const {
    if (!hwnd) return nullptr;
    for (const auto& c : controls_)
        if (c.hwnd == hwnd) return &c;
    return nullptr;
}

bool Form::CapturesKeys(HWND hwnd) const {
    const Control* c = ByWindow(hwnd);
    return c && c->design.kind == ControlKind::TextBox && handlers_.KeyDown(c->design.name);
}

void Form::Click(const std::string& control) {
    // A copy: the handler may unload and destroy this form.
    if (const auto click = handlers_.Click(control)) click();
}

void Form::PressButton(const std::string& name) {
    if (name.empty()) return;
    const Control& button = Find(name);
    if (IsWindowEnabled(button.hwnd)) Click(name);
}

void Form::RestoreFocus(bool formMayKeepFocus) {
    if (lastFocus_ && IsChild(hwnd_, lastFocus_) && IsWindowVisible(lastFocus_) && IsWindowEnabled(lastFocus_)) {
        ::SetFocus(lastFocus_);
        return;
    }
    for (const auto& c : controls_) {  // in tab order
        if (forms::TakesFocus(c.design.kind) && IsWindowVisible(c.hwnd) && IsWindowEnabled(c.hwnd)) {
            ::SetFocus(c.hwnd);
            return;
        }
    }
    if (!formMayKeepFocus) ::SetFocus(hwnd_);
}

void Form::Paint(HWND hwnd) {
    Painting paint(hwnd);
    for (const auto& c : controls_) {
        if (c.design.kind != ControlKind::Line) continue;
        const std::uint32_t rgb = c.design.lineColour;
        Pen pen(CreatePen(PS_SOLID, std::max(1, c.design.lineWidth),
                          RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF)));
        if (!pen) continue;
        Selection selected(paint.dc(), pen.get());
        MoveToEx(paint.dc(), layout_.X(c.design.rect.left), layout_.Y(c.design.rect.top), nullptr);
        LineTo(paint.dc(), layout_.X(c.design.rect.width), layout_.Y(c.design.rect.height));
    }
}

void Form::EndModal() {
    if (!modal_) return;
    modal_ = false;
    for (HWND w : std::exchange(disabled_, {}))
        if (IsWindow(w)) EnableWindow(w, TRUE);
}

}  // namespace kestrel::win32
