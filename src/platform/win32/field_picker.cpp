#include "platform/win32/field_picker.h"

#include <windowsx.h>

#include <commctrl.h>

#include <climits>

#include "platform/error.h"
#include "platform/win32/dispatch.h"

namespace kestrel::win32 {
namespace {

constexpr UINT_PTR kSubclassId = 1;
constexpr UINT kPointed = WM_APP + 1;  // lParam: the pointer on the screen
constexpr UINT kClicked = WM_APP + 2;
constexpr int kFrame = 3;  // the outline's width in pixels
constexpr const wchar_t* kOutlineClass = L"KestrelFieldOutline";

// A low-level hook has no data of its own: the picker whose hook is in.
FieldPicker* tracking = nullptr;

HWND ToHwnd(platform::WindowId window) { return reinterpret_cast<HWND>(window); }
platform::WindowId ToId(HWND window) { return reinterpret_cast<platform::WindowId>(window); }

bool Own(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process == GetCurrentProcessId();
}

LPARAM Packed(POINT p) { return MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y)); }
POINT Unpacked(LPARAM l) { return {GET_X_LPARAM(l), GET_Y_LPARAM(l)}; }

// The innermost visible window under the point. The system's own answer
// skips disabled windows and labels, and of two windows that overlap (a group
// box and the fields in it) the smaller is the one meant.
HWND ControlAt(POINT screen) {
    HWND at = WindowFromPoint(screen);
    if (!at) return nullptr;
    at = GetAncestor(at, GA_ROOT);
    for (;;) {
        HWND best = nullptr;
        long long bestArea = LLONG_MAX;
        for (HWND child = GetWindow(at, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            RECT r;
            if (!IsWindowVisible(child) || !GetWindowRect(child, &r) || !PtInRect(&r, screen)) continue;
            const long long area = static_cast<long long>(r.right - r.left) * (r.bottom - r.top);
            if (area < bestArea) best = child, bestArea = area;
        }
        if (!best) return at;
        at = best;
    }
}

}  // namespace

FieldPicker::~FieldPicker() { Stop(true); }

void FieldPicker::Arm(platform::WindowId button, std::function<void(platform::WindowId)> picked) {
    Disarm();
    if (!SetWindowSubclass(ToHwnd(button), ButtonProcedure, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        throw Error("the Pick field button cannot be listened to");
    button_ = ToHwnd(button);
    picked_ = std::move(picked);
    PointAt({INT_MIN, INT_MIN});  // the outline's window made now, not in the middle of a drag
}

void FieldPicker::Track() {
    PointAt({INT_MIN, INT_MIN});  // makes the outline window, hidden
    if (!outline_) throw Error("the field under the pointer cannot be outlined");
    if (!hook_) {
        tracking = this;
        hook_ = Hook(SetWindowsHookExW(WH_MOUSE_LL, MouseHook, GetModuleHandleW(nullptr), 0));
        if (!hook_) {
            tracking = nullptr;
            throw Error("the mouse cannot be followed");
        }
    }
    swallowUp_ = false;
}

void FieldPicker::Stop(bool disarm) {
    hook_.reset();
    if (tracking == this) tracking = nullptr;
    HideOutline();
    if (disarm) Disarm();
}

void FieldPicker::Disarm() {
    if (button_) RemoveWindowSubclass(button_, ButtonProcedure, kSubclassId);
    button_ = nullptr;
    picked_ = {};
    dragging_ = false;
}

platform::WindowId FieldPicker::FocusedControl() {
    HWND front = GetForegroundWindow();
    if (!front || Own(front)) return 0;
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(front, nullptr), &info) && info.hwndFocus)
        return ToId(info.hwndFocus);
    return ToId(front);
}

platform::WindowId FieldPicker::WindowOf(platform::WindowId control) {
    HWND hwnd = ToHwnd(control);
    return IsWindow(hwnd) ? ToId(GetAncestor(hwnd, GA_ROOT)) : 0;
}

void FieldPicker::PointAt(POINT screen) {
    if (!outline_) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = OutlineProcedure;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kOutlineClass;
        wc.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        RegisterClassExW(&wc);  // fails harmlessly when a picker before registered it
        outline_ = Window(CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TRANSPARENT,
                                          kOutlineClass, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                          GetModuleHandleW(nullptr), nullptr));
        if (!outline_) return;
        SetWindowLongPtrW(outline_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    HWND control = screen.x == INT_MIN ? nullptr : ControlAt(screen);
    if (!control || Own(control)) {
        HideOutline();
        return;
    }
    if (control == pointed_ && Outline()) return;
    pointed_ = control;
    RECT r;
    GetWindowRect(control, &r);
    InflateRect(&r, kFrame, kFrame);
    const int w = r.right - r.left, h = r.bottom - r.top;
    // A frame and nothing inside it: the field stays in sight.
    HRGN frame = CreateRectRgn(0, 0, w, h);
    HRGN inside = CreateRectRgn(kFrame, kFrame, w - kFrame, h - kFrame);
    CombineRgn(frame, frame, inside, RGN_DIFF);
    DeleteObject(inside);
    SetWindowRgn(outline_.get(), frame, FALSE);  // the window owns the region now
    SetWindowPos(outline_.get(), HWND_TOPMOST, r.left, r.top, w, h, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    RedrawWindow(outline_.get(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void FieldPicker::HideOutline() {
    pointed_ = nullptr;
    if (outline_) ShowWindow(outline_.get(), SW_HIDE);
}

void FieldPicker::Pick(POINT screen) {
    HWND control = ControlAt(screen);
    if (control && Own(control)) control = nullptr;
    Stop(false);
    auto picked = picked_;  // the handler may disarm
    CallFromDispatch([&] {
        if (picked) picked(ToId(control));
    });
}

LRESULT CALLBACK FieldPicker::OutlineProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<FieldPicker*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (msg) {
        case WM_NCHITTEST:
            return HTTRANSPARENT;
        case WM_ERASEBKGND: {
            RECT r;
            GetClientRect(hwnd, &r);
            HBRUSH red = CreateSolidBrush(RGB(230, 0, 0));
            FillRect(reinterpret_cast<HDC>(wParam), &r, red);
            DeleteObject(red);
            return 1;
        }
        case kPointed:
            if (self && self->hook_) self->PointAt(Unpacked(lParam));
            return 0;
        case kClicked:
            if (self && self->hook_) self->Pick(Unpacked(lParam));
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

LRESULT CALLBACK FieldPicker::MouseHook(int code, WPARAM wParam, LPARAM lParam) {
    FieldPicker* self = tracking;
    if (code == HC_ACTION && self && self->outline_) {
        const auto& event = *reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
        // Only posted: what a hook does must be quick, or the system drops it.
        switch (wParam) {
            case WM_MOUSEMOVE:
                PostMessageW(self->outline_.get(), kPointed, 0, Packed(event.pt));
                break;
            case WM_LBUTTONDOWN:
                // The click is the pick's, not the program's under the pointer.
                self->swallowUp_ = true;
                return 1;
            case WM_LBUTTONUP:
                if (!self->swallowUp_) break;
                self->swallowUp_ = false;
                PostMessageW(self->outline_.get(), kClicked, 0, Packed(event.pt));
                return 1;
            default:
                break;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK FieldPicker::ButtonProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                              DWORD_PTR data) {
    return reinterpret_cast<FieldPicker*>(data)->ButtonMessage(hwnd, msg, wParam, lParam);
}

LRESULT FieldPicker::ButtonMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ClientToScreen(hwnd, &screen);
    // A move the system makes up when a window shows (the outline) may carry
    // an old position; the pointer's own is the one that counts.
    if (msg == WM_MOUSEMOVE) GetCursorPos(&screen);
    RECT own;
    GetWindowRect(hwnd, &own);
    const bool onButton = PtInRect(&own, screen) != FALSE;
    switch (msg) {
        case WM_LBUTTONDOWN: {
            // The button takes the mouse (SetCapture) until the release, wherever the pointer goes.
            const auto result = DefSubclassProc(hwnd, msg, wParam, lParam);
            dragging_ = GetCapture() == hwnd;
            return result;
        }
        case WM_MOUSEMOVE:
            if (!dragging_) break;
            if (onButton) {
                HideOutline();
                SetCursor(LoadCursorW(nullptr, IDC_ARROW));
            } else {
                SetCursor(LoadCursorW(nullptr, IDC_CROSS));
                PointAt(screen);
            }
            return DefSubclassProc(hwnd, msg, wParam, lParam);
        case WM_LBUTTONUP: {
            if (!dragging_) break;
            dragging_ = false;
            HideOutline();
            // Released on the button, the press was its click.
            const auto result = DefSubclassProc(hwnd, msg, wParam, lParam);
            if (!onButton) Pick(screen);
            return result;
        }
        case WM_CAPTURECHANGED:
            if (dragging_) {
                dragging_ = false;
                HideOutline();
            }
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(hwnd, ButtonProcedure, kSubclassId);
            button_ = nullptr;
            break;
        default:
            break;
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace kestrel::win32
