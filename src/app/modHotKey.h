#pragma once
#include <cstdint>
#include <memory>

#include "app/cGlobalAtom.h"
#include "platform/platform.h"

namespace kestrel {

namespace modHotKey {

// Replaces the window's procedure with WindowProc, keeping the previous one.
// A window already hooked is left as it is: hooked twice, the saved procedure
// would be WindowProc itself and every message would recurse. Reports its own
// failures ("error in modHotKey.Hook: ...").
void Hook(platform::WindowId hwnd);
// Gives the window its previous procedure back. Reports its own failures.
void Unhook(platform::WindowId hwnd);
// Runs a grab and a search (or an index run) on WM_HOTKEY for the hooked
// window, then passes every message on to the previous procedure.
std::intptr_t WindowProc(platform::WindowId hwnd, std::uint32_t uMsg, std::uintptr_t wParam, std::intptr_t lParam);

bool Hooked();
// The hooked window has been destroyed, and its hook with it.
void WindowDestroyed();

}  // namespace modHotKey

// The main window's hotkey switch: hooks the window and registers the hotkey
// from the settings when set True, unregisters and unhooks when set False.
class HotKeySwitch {
public:
    explicit HotKeySwitch(platform::WindowId window) : window_(window) {}
    void HotKeyEnabled(bool v);
    bool Registered() const { return flag_; }

private:
    std::int32_t Atom();
    platform::WindowId window_;
    bool flag_ = false;
    std::unique_ptr<cGlobalAtom> atom_;
};

// Added to the hotkey's flags: holding the key down would otherwise repeat it,
// and every repeat would start another grab and another runner.
inline constexpr std::uint32_t kModNoRepeat = 0x4000;

}  // namespace kestrel
