#include "platform/win32/forms_win32.h"

#include <windowsx.h>

#include <algorithm>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/text.h"

namespace kestrel::win32 {
namespace {

using forms::Border;
using forms::ControlKind;
using forms::StartPosition;
using forms::WindowState;

template <typename Handle>
struct GdiObjectTraits {
    static Handle none() { return nullptr; }
    static void close(Handle h) { DeleteObject(h); }
};
using Font = Owned<HFONT, GdiObjectTraits<HFONT>>;
using Pen = Owned<HPEN, GdiObjectTraits<HPEN>>;

struct MenuTraits {
    static HMENU none() { return nullptr; }
    static void close(HMENU h) { DestroyMenu(h); }  // and every pop-up appended to it
};
using Menu = Owned<HMENU, MenuTraits>;

class ScreenDc {
public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ~ScreenDc() {
        if (dc_) ReleaseDC(nullptr, dc_);
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~Selection() { SelectObject(dc_, old_); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

class Painting {
public:
    explicit Painting(HWND hwnd) : hwnd_(hwnd) { BeginPaint(hwnd_, &ps_); }
    ~Painting() { EndPaint(hwnd_, &ps_); }
    Painting(const Painting&) = delete;
    Painting& operator=(const Painting&) = delete;
    HDC dc() const { return ps_.hdc; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
};

// The screen's resolution. Every twips value is rounded on its own (edges,
// not sizes), so that neighbouring controls stay neighbours at any DPI.
struct Scale {
    int dpiX = 96, dpiY = 96;
    static Scale OfScreen() {
        ScreenDc dc;
        Scale s;
        if (dc.get()) {
            s.dpiX = GetDeviceCaps(dc.get(), LOGPIXELSX);
            s.dpiY = GetDeviceCaps(dc.get(), LOGPIXELSY);
        }
        if (s.dpiX <= 0) s.dpiX = 96;
        if (s.dpiY <= 0) s.dpiY = 96;
        return s;
    }
    int X(int twips) const { return MulDiv(twips, dpiX, 1440); }
    int Y(int twips) const { return MulDiv(twips, dpiY, 1440); }
    float TwipsPerPixelX() const { return 1440.0f / static_cast<float>(dpiX); }
    float TwipsPerPixelY() const { return 1440.0f / static_cast<float>(dpiY); }
    RECT Rect(const forms::Twips& t) const {
        return RECT{X(t.left), Y(t.top), X(t.left + t.width), Y(t.top + t.height)};
    }
};

// Control ids stay clear of IDOK and IDCANCEL, which the dialog manager sends
// for Enter and Esc, and menu ids clear of control ids.
constexpr int kFirstControlId = 100;
constexpr int kFirstMenuId = 1000;
constexpr wchar_t kOriginalProcProperty[] = L"Kestrel.OriginalWndProc";

std::int16_t ShiftMask() {
    return static_cast<std::int16_t>((GetKeyState(VK_SHIFT) < 0 ? 1 : 0) | (GetKeyState(VK_CONTROL) < 0 ? 2 : 0) |
                                     (GetKeyState(VK_MENU) < 0 ? 4 : 0));
}

std::wstring WindowText(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
    return text;
}

bool CanTakeFocus(ControlKind kind) { return kind == ControlKind::TextBox || kind == ControlKind::Button; }

class Win32Form;

class Host final : public forms::FormHost {
public:
    std::unique_ptr<forms::Form> Load(const forms::FormDesign& design, forms::Handlers handlers) override;
    float TwipsPerPixelX() override { return Scale::OfScreen().TwipsPerPixelX(); }
    void RunUntilNoForms() override;
    int LoadedForms() const override { return static_cast<int>(loaded_.size()); }

    HFONT DialogFont();
    void Add(Win32Form* form) { loaded_.push_back(form); }
    void Remove(Win32Form* form) { loaded_.erase(std::remove(loaded_.begin(), loaded_.end(), form), loaded_.end()); }
    Win32Form* FormOf(HWND window) const;
    bool PreTranslate(MSG& msg);
    // Dispatches one message taken from the queue the way every loop of the host does.
    void Dispatch(MSG& msg);

    // An exception cannot travel through the system's frames between a window
    // procedure and the loop that dispatched to it: it is kept here and thrown
    // again from the host's loop.
    void Keep(std::exception_ptr error) {
        if (!pending_) pending_ = error;
    }
    void ThrowPending() {
        if (pending_) std::rethrow_exception(std::exchange(pending_, nullptr));
    }

private:
    Font font_;
    std::vector<Win32Form*> loaded_;
    std::exception_ptr pending_;
};

Host& TheHost() {
    static Host host;
    return host;
}

struct Control {
    forms::ControlDesign design;
    int id = 0;
    HWND hwnd = nullptr;  // none for lines
};

struct MenuItem {
    UINT id = 0;
    std::string name;
};

struct PopupMenuEntry {
    std::string name;
    HMENU popup = nullptr;  // owned by the form's menu bar
};

LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK BoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

BOOL CALLBACK CollectThreadWindow(HWND hwnd, LPARAM lParam) {
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hwnd);
    return TRUE;
}

class Win32Form final : public forms::Form {
public:
    Win32Form(Host& host, const forms::FormDesign& design, forms::Handlers handlers)
        : host_(host), design_(design), handlers_(std::move(handlers)) {}

    ~Win32Form() override {
        *alive_ = false;
        if (!hwnd_) return;
        // Not Form_Unload: its owner is going away and could not honour a cancel.
        EndModal();
        const HWND hwnd = std::exchange(hwnd_, nullptr);
        SetWindowLongPtrW(hwnd, 0, 0);
        host_.Remove(this);
        DestroyWindow(hwnd);
    }

    Win32Form(const Win32Form&) = delete;
    Win32Form& operator=(const Win32Form&) = delete;

    void Create();
    void RunLoad() {
        if (!handlers_.load) return;
        const auto load = handlers_.load;
        load(*this);
    }

    bool Loaded() const override { return hwnd_ != nullptr; }
    platform::WindowId Handle() const override { return reinterpret_cast<platform::WindowId>(hwnd_); }

    std::string Text(const std::string& control) const override {
        const Control& c = Find(control);
        if (!HasWindowText(c)) return c.design.text;
        return Narrow(WindowText(c.hwnd));
    }

    void SetText(const std::string& control, const std::string& text) override {
        Control& c = Find(control);
        c.design.text = text;
        if (HasWindowText(c)) SetWindowTextW(c.hwnd, Widen(text).c_str());
    }

    std::string Caption() const override {
        RequireLoaded();
        return Narrow(WindowText(hwnd_));
    }

    void SetCaption(const std::string& text) override {
        RequireLoaded();
        SetWindowTextW(hwnd_, Widen(text).c_str());
    }

    void SetFocus(const std::string& control) override {
        const Control& c = Find(control);
        if (!CanTakeFocus(c.design.kind)) throw Error(control + " cannot take the focus");
        lastFocus_ = c.hwnd;
        if (IsWindowVisible(hwnd_)) ::SetFocus(c.hwnd);
    }

    void Show() override {
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

    void ShowModal() override;

    void Hide() override {
        RequireLoaded();
        ShowWindow(hwnd_, SW_HIDE);
        WakeMessageLoops();
    }

    bool Visible() const override { return hwnd_ && IsWindowVisible(hwnd_); }

    void SetWindowState(WindowState state) override {
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

    WindowState GetWindowState() const override {
        if (!hwnd_) return WindowState::Normal;
        if (!IsWindowVisible(hwnd_) && pendingState_) return *pendingState_;
        if (IsIconic(hwnd_)) return WindowState::Minimized;
        if (IsZoomed(hwnd_)) return WindowState::Maximized;
        return WindowState::Normal;
    }

    void Unload() override {
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

    // A form may go while a message sent from elsewhere is handled (a click
    // sent by another program, a WM_CLOSE from a task manager): GetMessage
    // then returns nothing, and a loop waiting for the form to go would wait
    // on. An empty posted message makes it look again.
    static void WakeMessageLoops() { PostMessageW(nullptr, WM_NULL, 0, 0); }

    void PopupMenu(const std::string& menu) override;

    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // A text box's message before the box sees it: true when it is consumed.
    // A KeyPress handler may change the character in `wParam`.
    bool BoxMessage(HWND box, UINT msg, WPARAM& wParam);
    bool PreTranslate(MSG& msg);
    HWND hwnd() const { return hwnd_; }
    void Attach(HWND hwnd) { hwnd_ = hwnd; }

private:
    void RequireLoaded() const {
        if (!hwnd_) throw Error("the form " + design_.name + " is not loaded");
    }

    const Control& Find(const std::string& name) const {
        RequireLoaded();
        for (const auto& c : controls_)
            if (c.design.name == name) return c;
        throw Error("the form " + design_.name + " has no control named " + name);
    }
    Control& Find(const std::string& name) {
        return const_cast<Control&>(static_cast<const Win32Form*>(this)->Find(name));
    }

    const Control* ById(int id) const {
        for (const auto& c : controls_)
            if (c.id == id) return &c;
        return nullptr;
    }
    const Control* ByWindow(HWND hwnd) const {
        if (!hwnd) return nullptr;
        for (const auto& c : controls_)
            if (c.hwnd == hwnd) return &c;
        return nullptr;
    }

    static bool HasWindowText(const Control& c) {
        return c.hwnd && c.design.kind != ControlKind::Picture && c.design.kind != ControlKind::Line;
    }

    // A text box with a KeyDown handler takes Alt chords as keys, not as menu or access keys.
    bool CapturesKeys(HWND hwnd) const {
        const Control* c = ByWindow(hwnd);
        return c && c->design.kind == ControlKind::TextBox && handlers_.keyDown.count(c->design.name + "_KeyDown");
    }

    void Click(const std::string& control) {
        const auto found = handlers_.click.find(control + "_Click");
        if (found == handlers_.click.end()) return;
        const auto click = found->second;  // the handler may unload and destroy this form
        click();
    }

    void PressButton(const std::string& name) {
        if (name.empty()) return;
        const Control& button = Find(name);
        if (IsWindowEnabled(button.hwnd)) Click(name);
    }

    void RestoreFocus(bool formMayKeepFocus = false) {
        if (lastFocus_ && IsChild(hwnd_, lastFocus_) && IsWindowVisible(lastFocus_) && IsWindowEnabled(lastFocus_)) {
            ::SetFocus(lastFocus_);
            return;
        }
        for (const auto& c : controls_) {  // in tab order
            if (CanTakeFocus(c.design.kind) && IsWindowVisible(c.hwnd) && IsWindowEnabled(c.hwnd)) {
                ::SetFocus(c.hwnd);
                return;
            }
        }
        if (!formMayKeepFocus) ::SetFocus(hwnd_);
    }

    void Paint(HWND hwnd) {
        Painting paint(hwnd);
        for (const auto& c : controls_) {
            if (c.design.kind != ControlKind::Line) continue;
            const std::uint32_t rgb = c.design.lineColour;
            Pen pen(CreatePen(PS_SOLID, std::max(1, c.design.lineWidth),
                              RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF)));
            if (!pen) continue;
            Selection selected(paint.dc(), pen.get());
            MoveToEx(paint.dc(), scale_.X(c.design.rect.left), scale_.Y(c.design.rect.top), nullptr);
            LineTo(paint.dc(), scale_.X(c.design.rect.width), scale_.Y(c.design.rect.height));
        }
    }

    void BeginModal() {
        std::vector<HWND> windows;
        EnumThreadWindows(GetCurrentThreadId(), CollectThreadWindow, reinterpret_cast<LPARAM>(&windows));
        for (HWND w : windows) {
            if (w == hwnd_ || !IsWindowEnabled(w)) continue;
            // Hidden helper windows of the system are left alone; hidden forms are not.
            if (!IsWindowVisible(w) && !host_.FormOf(w)) continue;
            EnableWindow(w, FALSE);
            disabled_.push_back(w);
        }
        modal_ = true;
    }

    void EndModal() {
        if (!modal_) return;
        modal_ = false;
        for (HWND w : disabled_)
            if (IsWindow(w)) EnableWindow(w, TRUE);
        disabled_.clear();
    }

    Host& host_;
    forms::FormDesign design_;
    forms::Handlers handlers_;
    Scale scale_;
    HWND hwnd_ = nullptr;
    std::vector<Control> controls_;  // in tab order
    Menu menuBar_;                   // never attached: its menus serve as pop-ups
    std::vector<PopupMenuEntry> popups_;
    std::vector<MenuItem> menuItems_;
    HWND lastFocus_ = nullptr;
    std::optional<WindowState> pendingState_;
    bool modal_ = false;
    bool unloading_ = false;
    std::vector<HWND> disabled_;
    // Handlers may destroy the form they were called for; code after a call checks this.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

HICON ProgramIcon(int size) {
    const int cx = GetSystemMetrics(size), cy = GetSystemMetrics(size == SM_CXICON ? SM_CYICON : SM_CYSMICON);
    // Shared icons belong to the system: nobody destroys them.
    if (auto icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, cx, cy,
                                                  LR_SHARED)))
        return icon;
    return LoadIconW(nullptr, IDI_APPLICATION);
}

void Win32Form::Create() {
    scale_ = Scale::OfScreen();

    for (std::size_t i = 0; i < design_.controls.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j)
            if (design_.controls[j].name == design_.controls[i].name)
                throw Error("the form " + design_.name + " has two controls named " + design_.controls[i].name);
        controls_.push_back({design_.controls[i], kFirstControlId + static_cast<int>(i), nullptr});
    }
    std::stable_sort(controls_.begin(), controls_.end(),
                     [](const Control& a, const Control& b) { return a.design.tabIndex < b.design.tabIndex; });
    for (const std::string* button : {&design_.defaultButton, &design_.cancelButton}) {
        if (button->empty()) continue;
        const auto found = std::find_if(controls_.begin(), controls_.end(),
                                        [&](const Control& c) { return c.design.name == *button; });
        if (found == controls_.end() || found->design.kind != ControlKind::Button)
            throw Error("the form " + design_.name + " has no button named " + *button);
    }

    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const std::wstring className = L"Kestrel." + Widen(design_.name);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = FormProc;
    wc.cbWndExtra = sizeof(LONG_PTR);  // the form, for FormProc
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = className.c_str();
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw Error(LastErrorText("cannot register the window class of " + design_.name, GetLastError()));

    DWORD style = WS_CLIPCHILDREN, exStyle = 0;
    switch (design_.border) {
    case Border::FixedSingle:
        style |= WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
        if (design_.minButton) style |= WS_MINIMIZEBOX;
        if (design_.maxButton) style |= WS_MAXIMIZEBOX;
        break;
    case Border::Sizable:
        style |= WS_OVERLAPPEDWINDOW;
        if (!design_.minButton) style &= ~static_cast<DWORD>(WS_MINIMIZEBOX);
        if (!design_.maxButton) style &= ~static_cast<DWORD>(WS_MAXIMIZEBOX);
        break;
    case Border::FixedDialog:
        style |= WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
        exStyle |= WS_EX_DLGMODALFRAME;
        break;
    }

    RECT frame{0, 0, scale_.X(design_.clientWidth), scale_.Y(design_.clientHeight)};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT;
    if (design_.start == StartPosition::Manual) {
        x = scale_.X(design_.left) + frame.left;
        y = scale_.Y(design_.top) + frame.top;
    } else if (design_.start == StartPosition::CenterScreen) {
        RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        x = work.left + (work.right - work.left - width) / 2;
        y = work.top + (work.bottom - work.top - height) / 2;
    }

    // Attached in WM_NCCREATE, so that the form sees its window's first messages.
    if (!CreateWindowExW(exStyle, className.c_str(), Widen(design_.caption).c_str(), style, x, y, width, height,
                         nullptr, nullptr, instance, this))
        throw Error(LastErrorText("cannot create the window of " + design_.name, GetLastError()));
    host_.Add(this);

    HICON bigIcon = nullptr;
    if (design_.showIcon) {
        bigIcon = ProgramIcon(SM_CXICON);
        SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
        SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(ProgramIcon(SM_CXSMICON)));
    }

    if (!design_.menus.empty()) {
        menuBar_ = Menu(CreateMenu());
        if (!menuBar_) throw Error(LastErrorText("cannot create the menus of " + design_.name, GetLastError()));
        UINT nextId = kFirstMenuId;
        for (const auto& menu : design_.menus) {
            const HMENU popup = CreatePopupMenu();
            // Appended first, so that the bar owns it from here on.
            if (!popup || !AppendMenuW(menuBar_.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(popup),
                                       Widen(menu.caption).c_str())) {
                if (popup) DestroyMenu(popup);
                throw Error(LastErrorText("cannot create the menu " + menu.name, GetLastError()));
            }
            popups_.push_back({menu.name, popup});
            for (const auto& item : menu.items) {
                const bool separator = item.caption == "-";
                const UINT id = separator ? 0 : nextId++;
                if (!AppendMenuW(popup, separator ? MF_SEPARATOR : MF_STRING, id,
                                 separator ? nullptr : Widen(item.caption).c_str()))
                    throw Error(LastErrorText("cannot create the menu item " + item.name, GetLastError()));
                if (!separator) menuItems_.push_back({id, item.name});
            }
        }
    }

    const HFONT font = host_.DialogFont();
    // Created in tab order: the dialog manager's Tab follows the z-order.
    for (auto& c : controls_) {
        const wchar_t* cls = L"STATIC";
        DWORD controlStyle = WS_CHILD | WS_VISIBLE, controlExStyle = 0;
        std::wstring text = Widen(c.design.text);
        switch (c.design.kind) {
        case ControlKind::Line:
            continue;  // painted by the form
        case ControlKind::Label:
            controlStyle |= SS_LEFT | SS_NOPREFIX;
            break;
        case ControlKind::TextBox:
            cls = L"EDIT";
            controlStyle |= ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP;
            controlExStyle |= WS_EX_CLIENTEDGE;
            break;
        case ControlKind::Button:
            cls = L"BUTTON";
            controlStyle |= (c.design.name == design_.defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP;
            break;
        case ControlKind::Picture:
            controlStyle |= SS_ICON;
            text.clear();  // an icon static would read its text as a resource name
            break;
        }
        const RECT r = scale_.Rect(c.design.rect);
        c.hwnd = CreateWindowExW(controlExStyle, cls, text.c_str(), controlStyle, r.left, r.top, r.right - r.left,
                                 r.bottom - r.top, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
                                 instance, nullptr);
        if (!c.hwnd) throw Error(LastErrorText("cannot create the control " + c.design.name, GetLastError()));
        SendMessageW(c.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (c.design.kind == ControlKind::TextBox) {
            SendMessageW(c.hwnd, EM_SETLIMITTEXT, 0, 0);
            SetPropW(c.hwnd, kOriginalProcProperty, reinterpret_cast<HANDLE>(GetWindowLongPtrW(c.hwnd, GWLP_WNDPROC)));
            SetWindowLongPtrW(c.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&BoxProc));
        } else if (c.design.kind == ControlKind::Picture) {
            SendMessageW(c.hwnd, STM_SETICON, reinterpret_cast<WPARAM>(bigIcon ? bigIcon : ProgramIcon(SM_CXICON)), 0);
            // The icon resized the control to itself; the design's rectangle wins.
            SetWindowPos(c.hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
}

void Win32Form::ShowModal() {
    RequireLoaded();
    if (modal_) return;
    BeginModal();
    const auto alive = alive_;
    struct Restore {
        Win32Form* form;
        std::shared_ptr<bool> alive;
        ~Restore() {
            if (*alive) form->EndModal();
        }
    } restore{this, alive};
    Show();
    // A modal form that is hidden is done with too: nothing else could be used meanwhile.
    MSG msg;
    while (*alive && hwnd_ && IsWindowVisible(hwnd_)) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) break;
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop that ends the program
            break;
        }
        host_.Dispatch(msg);
    }
}

void Win32Form::PopupMenu(const std::string& menu) {
    RequireLoaded();
    const auto found =
        std::find_if(popups_.begin(), popups_.end(), [&](const PopupMenuEntry& p) { return p.name == menu; });
    if (found == popups_.end()) throw Error("the form " + design_.name + " has no menu named " + menu);
    POINT at{};
    GetCursorPos(&at);
    // A menu whose owner is not in the foreground never closes when the user clicks elsewhere.
    SetForegroundWindow(hwnd_);
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(found->popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd_, nullptr));
    PostMessageW(hwnd_, WM_NULL, 0, 0);  // lets the menu's owner switch tasks cleanly afterwards
    for (const auto& item : menuItems_) {
        if (item.id != chosen) continue;
        Click(item.name);
        return;
    }
}

LRESULT Win32Form::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const auto alive = alive_;
    if (handlers_.message) {
        std::intptr_t result = 0;
        const auto handler = handlers_.message;
        if (handler(msg, wParam, lParam, result)) return result;
        if (!*alive) return DefWindowProcW(hwnd, msg, wParam, lParam);
    }

    switch (msg) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam), code = HIWORD(wParam);
        if (!lParam && code == 0 && id >= kFirstMenuId) {
            for (const auto& item : menuItems_)
                if (static_cast<int>(item.id) == id) {
                    Click(item.name);
                    break;
                }
        } else if (id == IDOK && code == BN_CLICKED) {
            PressButton(design_.defaultButton);
        } else if (id == IDCANCEL && code == BN_CLICKED) {
            PressButton(design_.cancelButton);
        } else if (lParam && code == BN_CLICKED) {
            const Control* c = ById(id);
            if (c && c->design.kind == ControlKind::Button) Click(c->design.name);
        }
        return 0;
    }
    case DM_GETDEFID: {
        for (const auto& c : controls_)
            if (!design_.defaultButton.empty() && c.design.name == design_.defaultButton)
                return MAKELRESULT(c.id, DC_HASDEFID);
        return 0;
    }
    case WM_CLOSE:
        Unload();
        return 0;
    case WM_SYSCOMMAND:
        // Alt (or F10) released in a key-capturing box would otherwise enter the menu.
        if ((wParam & 0xFFF0) == SC_KEYMENU && CapturesKeys(GetFocus())) return 0;
        break;
    case WM_MOUSEMOVE:
        if (handlers_.mouseMove) {
            int button = 0, shift = 0;
            if (wParam & MK_LBUTTON) button |= 1;
            if (wParam & MK_RBUTTON) button |= 2;
            if (wParam & MK_MBUTTON) button |= 4;
            if (wParam & MK_SHIFT) shift |= 1;
            if (wParam & MK_CONTROL) shift |= 2;
            if (GetKeyState(VK_MENU) < 0) shift |= 4;
            const auto mouseMove = handlers_.mouseMove;
            mouseMove(button, shift, static_cast<float>(GET_X_LPARAM(lParam)) * scale_.TwipsPerPixelX(),
                      static_cast<float>(GET_Y_LPARAM(lParam)) * scale_.TwipsPerPixelY());
            return 0;
        }
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
    case WM_DESTROY:
        EndModal();
        break;
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, 0, 0);
        hwnd_ = nullptr;
        for (auto& c : controls_) c.hwnd = nullptr;
        lastFocus_ = nullptr;
        host_.Remove(this);
        break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

bool Win32Form::BoxMessage(HWND box, UINT msg, WPARAM& wParam) {
    const Control* c = ByWindow(box);
    if (!c) return false;
    switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        const auto found = handlers_.keyDown.find(c->design.name + "_KeyDown");
        if (found == handlers_.keyDown.end()) return false;
        forms::KeyDownArgs args{static_cast<std::int16_t>(wParam), ShiftMask()};
        const auto keyDown = found->second;
        keyDown(args);
        return false;  // the box still handles the key
    }
    case WM_SYSCHAR:
        // The chord went to KeyDown; here it would only beep for a missing menu.
        return CapturesKeys(box);
    case WM_CHAR: {
        const auto found = handlers_.keyPress.find(c->design.name + "_KeyPress");
        if (found == handlers_.keyPress.end()) return false;
        auto keyAscii = static_cast<std::int16_t>(wParam);
        const auto keyPress = found->second;
        keyPress(keyAscii);
        if (keyAscii == 0) return true;
        wParam = static_cast<std::uint16_t>(keyAscii);
        return false;
    }
    }
    return false;
}

bool Win32Form::PreTranslate(MSG& msg) {
    if (msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE)) {
        // Only the design's buttons answer Enter and Esc, whichever control has the focus.
        PressButton(msg.wParam == VK_RETURN ? design_.defaultButton : design_.cancelButton);
        return true;
    }
    // Left to the box, which swallows it, rather than pressing a button with that access key.
    if (msg.message == WM_SYSCHAR && CapturesKeys(msg.hwnd)) return false;
    return IsDialogMessageW(hwnd_, &msg) != FALSE;
}

LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Win32Form* form = nullptr;
    if (msg == WM_NCCREATE) {
        form = static_cast<Win32Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(form));
        form->Attach(hwnd);
    } else {
        form = reinterpret_cast<Win32Form*>(GetWindowLongPtrW(hwnd, 0));
    }
    if (!form) return DefWindowProcW(hwnd, msg, wParam, lParam);
    try {
        return form->WindowProc(hwnd, msg, wParam, lParam);
    } catch (...) {
        TheHost().Keep(std::current_exception());
        return 0;
    }
}

LRESULT CALLBACK BoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const auto original = reinterpret_cast<WNDPROC>(reinterpret_cast<LONG_PTR>(GetPropW(hwnd, kOriginalProcProperty)));
    if (!original) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        RemovePropW(hwnd, kOriginalProcProperty);
        return CallWindowProcW(original, hwnd, msg, wParam, lParam);
    }
    if (Win32Form* form = TheHost().FormOf(GetParent(hwnd))) {
        try {
            if (form->BoxMessage(hwnd, msg, wParam)) return 0;
        } catch (...) {
            TheHost().Keep(std::current_exception());
            return 0;
        }
        if (!IsWindow(hwnd)) return 0;  // a handler closed the form
    }
    return CallWindowProcW(original, hwnd, msg, wParam, lParam);
}

std::unique_ptr<forms::Form> Host::Load(const forms::FormDesign& design, forms::Handlers handlers) {
    auto form = std::make_unique<Win32Form>(*this, design, std::move(handlers));
    form->Create();
    form->RunLoad();
    return form;
}

void Host::RunUntilNoForms() {
    MSG msg;
    while (!loaded_.empty()) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) return;
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        Dispatch(msg);
    }
}

HFONT Host::DialogFont() {
    if (!font_) {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        LOGFONTW font{};
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
            font = metrics.lfMessageFont;
        else
            GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
        font_ = Font(CreateFontIndirectW(&font));
    }
    return font_.get();
}

Win32Form* Host::FormOf(HWND window) const {
    if (!window) return nullptr;
    for (Win32Form* form : loaded_)
        if (form->hwnd() == window) return form;
    return nullptr;
}

bool Host::PreTranslate(MSG& msg) {
    if (!msg.hwnd) return false;
    Win32Form* form = FormOf(GetAncestor(msg.hwnd, GA_ROOT));
    return form && form->PreTranslate(msg);
}

void Host::Dispatch(MSG& msg) {
    if (!PreTranslate(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    ThrowPending();
}

}  // namespace

forms::FormHost& Win32FormHost() { return TheHost(); }

bool PreTranslateFormMessage(MSG& msg) {
    Host& host = TheHost();
    const bool handled = host.PreTranslate(msg);
    host.ThrowPending();
    return handled;
}

}  // namespace kestrel::win32
