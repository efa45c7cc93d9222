#include "app/modHotKey.h"

#include "app/application.h"
#include "link/clsAppLink.h"

namespace kestrel {
namespace modHotKey {
namespace {

std::intptr_t g_previous = 0;
platform::WindowId g_window = 0;
bool g_hooked = false;
// Handling a press pumps messages (the capture's waits, message boxes), so a
// second press can arrive nested inside the first; it would empty the
// clipboard under the first one's feet. Such a press is let through unhandled.
bool g_handling = false;

platform::HotKeys& HotKeys() { return *platform::Current().hotkeys; }

void HandleHotKey() {
    g_handling = true;
    struct Done {
        ~Done() { g_handling = false; }
    } done;
    auto& link = AppLink();
    link.GrabData();
    if (link.colFields()->Item(1)->value().empty()) {
        ShowMessage("no data found", platform::kMbSystemModal);
        return;
    }
    if (link.ProcedureType() == 2)
        link.RunIndex();
    else
        link.RunSearch();
}

}  // namespace

bool Hooked() { return g_hooked; }

void WindowDestroyed() {
    g_hooked = false;
    g_window = 0;
    g_previous = 0;
}

void Hook(platform::WindowId hwnd) {
    try {
        if (g_hooked) return;
        const auto previous = HotKeys().SetWindowProcedure(hwnd, &WindowProc);
        if (!previous) throw Error("the window's procedure cannot be replaced");
        g_previous = previous;
        g_window = hwnd;
        g_hooked = true;
    } catch (const std::exception& e) {
        ShowMessage(std::string("error in modHotKey.Hook: ") + e.what(), platform::kMbOk);
    }
}

void Unhook(platform::WindowId hwnd) {
    try {
        if (!g_hooked) return;
        HotKeys().RestoreWindowProcedure(hwnd, g_previous);
        g_hooked = false;
    } catch (const std::exception& e) {
        ShowMessage(std::string("error in modHotKey.Unhook: ") + e.what(), platform::kMbOk);
    }
}

std::intptr_t WindowProc(platform::WindowId hwnd, std::uint32_t uMsg, std::uintptr_t wParam, std::intptr_t lParam) {
    try {
        if (hwnd == g_window && uMsg == platform::kWmHotKey && !g_handling) HandleHotKey();
        return HotKeys().CallWindowProcedure(g_previous, hwnd, uMsg, wParam, lParam);
    } catch (const std::exception& e) {
        try {
            ShowMessage(std::string("error in modHotKey.WindowProc: ") + e.what(), platform::kMbOk);
        } catch (...) {
        }
        return 0;
    } catch (...) {
        // Nothing may unwind into the system's message dispatch.
        return 0;
    }
}

}  // namespace modHotKey

std::int32_t HotKeySwitch::Atom() {
    if (!atom_) atom_ = std::make_unique<cGlobalAtom>();
    return atom_->value();
}

void HotKeySwitch::HotKeyEnabled(bool v) {
    auto& hotkeys = *platform::Current().hotkeys;
    if (flag_ && !v) {
        flag_ = hotkeys.UnregisterHotKey(window_, Atom()) == 0;
        modHotKey::Unhook(window_);
    } else if (!flag_ && v) {
        // After a failed registration the window is still hooked; Hook leaves
        // it so and only the registration is tried again.
        modHotKey::Hook(window_);
        const auto settings = AppLink().oSettings();
        const auto modifiers = static_cast<std::uint32_t>(static_cast<std::int32_t>(settings->HotKeyMod())) | kModNoRepeat;
        const auto key = static_cast<std::uint32_t>(static_cast<std::int32_t>(settings->HotKey()));
        flag_ = hotkeys.RegisterHotKey(window_, Atom(), modifiers, key) == 1;
    }
}

}  // namespace kestrel
