#include "platform/win32/dispatch.h"
#include "platform/win32/hotkeys.h"

#include <windows.h>

#include <commctrl.h>

#include "platform/error.h"
#include "platform/win32/text.h"

namespace kestrel::win32 {
namespace {

// The subclass's id on a window's chain; the procedure tells it from others.
constexpr UINT_PTR kSubclassId = 1;

HWND ToHwnd(platform::WindowId window) { return reinterpret_cast<HWND>(window); }

}  // namespace

struct HotKeys::Listener {
    HotKeys& owner;
    std::function<void()> onPress;

    static LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                            DWORD_PTR data) {
        auto* listener = reinterpret_cast<Listener*>(data);
        if (msg == WM_HOTKEY) {
            CallFromDispatch(listener->onPress);  // which may stop the listening and free the listener
        } else if (msg == WM_NCDESTROY) {
            RemoveWindowSubclass(hwnd, WindowProcedure, kSubclassId);
            listener->owner.listeners_.erase(reinterpret_cast<platform::WindowId>(hwnd));
        }
        return DefSubclassProc(hwnd, msg, wParam, lParam);
    }
};

HotKeys::HotKeys() = default;

HotKeys::~HotKeys() {
    for (const auto& [window, listener] : listeners_)
        RemoveWindowSubclass(ToHwnd(window), Listener::WindowProcedure, kSubclassId);
}

void HotKeys::Listen(platform::WindowId window, std::function<void()> onPress) {
    auto listener = std::make_unique<Listener>(Listener{*this, std::move(onPress)});
    // Listening again replaces the listener: the subclass stays one.
    if (!SetWindowSubclass(ToHwnd(window), Listener::WindowProcedure, kSubclassId,
                           reinterpret_cast<DWORD_PTR>(listener.get())))
        throw Error("the window's messages cannot be listened to");
    listeners_[window] = std::move(listener);
}

void HotKeys::StopListening(platform::WindowId window) {
    const auto found = listeners_.find(window);
    // A window that went has lost its subclass with it.
    if (found == listeners_.end()) return;
    const HWND hwnd = ToHwnd(window);
    if (!RemoveWindowSubclass(hwnd, Listener::WindowProcedure, kSubclassId) && IsWindow(hwnd))
        throw Error("the window's messages cannot be let go");
    listeners_.erase(found);
}

bool HotKeys::Register(platform::WindowId window, std::int32_t id, std::uint32_t modifiers, std::uint32_t key) {
    // One press, one message: a key held down must not run the capture again and again.
    return RegisterHotKey(ToHwnd(window), id, modifiers | MOD_NOREPEAT, key) != FALSE;
}

bool HotKeys::Unregister(platform::WindowId window, std::int32_t id) {
    return UnregisterHotKey(ToHwnd(window), id) != FALSE;
}

std::int32_t HotKeys::AddGlobalAtom(const std::string& text) { return GlobalAddAtomW(Widen(text).c_str()); }

void HotKeys::DeleteGlobalAtom(std::int32_t atom) { GlobalDeleteAtom(static_cast<ATOM>(atom)); }

std::string HotKeys::LocalDateTimeText() {
    wchar_t date[128] = L"", time[128] = L"";
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, 128);
    GetTimeFormatW(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, time, 128);
    return Narrow(std::wstring(date) + L" " + time);
}

}  // namespace kestrel::win32
