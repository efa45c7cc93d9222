#include "platform/win32/dispatch.h"
#include "platform/win32/timers.h"

#include "platform/error.h"
#include "platform/win32/text.h"

namespace kestrel::win32 {
namespace {

constexpr wchar_t kClassName[] = L"Kestrel.Timers";

}  // namespace

Timers::Id Timers::Start(int intervalMs, std::function<void()> onTick) {
    if (!window_) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = Procedure;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kClassName;
        // Once per process; every object's window shares the class.
        if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            throw Error(LastErrorText("cannot register the timers' window class", GetLastError()));
        window_ = Window(CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                         wc.hInstance, nullptr));
        if (!window_) throw Error(LastErrorText("cannot create the timers' window", GetLastError()));
        SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    const Id id = next_++;
    if (!SetTimer(window_.get(), id, static_cast<UINT>(intervalMs > 0 ? intervalMs : 0), nullptr))
        throw Error(LastErrorText("cannot start a timer", GetLastError()));
    ticks_[id] = std::move(onTick);
    return id;
}

void Timers::Stop(Id timer) {
    const auto found = ticks_.find(timer);
    if (found == ticks_.end()) return;
    KillTimer(window_.get(), timer);
    ticks_.erase(found);
}

void Timers::Tick(Id timer) {
    const auto found = ticks_.find(timer);
    // A tick already queued when its timer was stopped.
    if (found == ticks_.end()) return;
    CallFromDispatch(found->second);  // which may stop its timer
}

LRESULT CALLBACK Timers::Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TIMER) {
        if (auto* timers = reinterpret_cast<Timers*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)))
            timers->Tick(static_cast<Id>(wParam));
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace kestrel::win32
