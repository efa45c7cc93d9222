#pragma once
// What the form tests share: a test design, a form loaded on the real host,
// and guards that turn a hang into a failure. Each test file gets its own copy.
#include <windows.h>

#include <commctrl.h>

#include <cmath>
#include <memory>

#include "platform/forms.h"
#include "platform/keystrokes.h"
#include "platform/win32/keyboard.h"
#include "platform/win32/scale.h"
#include "platform/win32/text.h"
#include "win/win_support.h"

namespace kestrel::wintest {

using forms::Border;
using forms::ControlKind;
using forms::StartPosition;

// Destroys the given window if a blocking call has not returned in time, so
// that a fault fails the test instead of hanging it.
inline HWND g_watchdogTarget = nullptr;
inline bool g_watchdogFired = false;

inline VOID CALLBACK WatchdogFired(HWND, UINT, UINT_PTR, DWORD) {
    g_watchdogFired = true;
    if (g_watchdogTarget && IsWindow(g_watchdogTarget)) DestroyWindow(g_watchdogTarget);
}

class Watchdog {
public:
    Watchdog(HWND target, UINT ms) : timer_(SetTimer(nullptr, 0, ms, WatchdogFired)) {
        g_watchdogTarget = target;
        g_watchdogFired = false;
    }
    ~Watchdog() {
        KillTimer(nullptr, timer_);
        g_watchdogTarget = nullptr;
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;
    bool fired() const { return g_watchdogFired; }

private:
    UINT_PTR timer_;
};

// A menu loop entered by mistake would wait for the user: Esc leaves it, so
// that the test fails instead of hanging.
inline VOID CALLBACK LeaveMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    INPUT esc[4]{};
    for (int i = 0; i < 4; ++i) {
        esc[i].type = INPUT_KEYBOARD;
        esc[i].ki.wVk = VK_ESCAPE;
        esc[i].ki.dwFlags = i % 2 ? KEYEVENTF_KEYUP : 0;
    }
    SendInput(4, esc, sizeof(INPUT));
}

constexpr wchar_t kCaption[] = L"Kestrel forms test";

// Declared out of tab order on purpose. Twips chosen so that some edges fall
// between pixels at 96 DPI.
inline forms::FormDesign TestDesign(const std::string& defaultButton = "cmdOK", const std::string& cancelButton = "cmdCancel") {
    forms::FormDesign d;
    d.name = "frmFormsTest";
    d.caption = win32::Narrow(kCaption);
    d.border = Border::FixedSingle;
    d.clientWidth = 4820;
    d.clientHeight = 2430;
    d.start = StartPosition::Manual;
    d.left = 1500;
    d.top = 1200;
    d.defaultButton = defaultButton;
    d.cancelButton = cancelButton;
    d.controls = {
        {"cmdCancel", ControlKind::Button, "Cancel", {3960, 600, 735, 375}, 3},
        {"txtName", ControlKind::TextBox, "Größe", {1440, 600, 2400, 315}, 4},
        {"lblHotKey", ControlKind::Label, "&Hot key:", {120, 150, 1215, 255}, 0},
        {"cmdOK", ControlKind::Button, "&Save", {3960, 120, 735, 375}, 2},
        {"imgIcon", ControlKind::Picture, "", {120, 1200, 480, 480}, 5},
        {"txtHotKey", ControlKind::TextBox, "", {1440, 120, 2400, 315}, 1},
        {"linSep", ControlKind::Line, "", {120, 1080, 4700, 1080}, 6, 0x808080, 1},
        {"lblNote", ControlKind::Label, "Note", {1000, 1900, 1000, 300}, 7},
    };
    d.menus = {{"Options", "&Options",
                {{"mnuSettings", "&Settings"}, {"mnuAbout", "&About"}, {"mnuSep", "-"}, {"mnuExit", "E&xit"}}}};
    return d;
}

struct KeyDownEvent {
    int code, shift;
    friend bool operator==(const KeyDownEvent&, const KeyDownEvent&) = default;
};
inline void PrintTo(const KeyDownEvent& e, std::ostream* os) { *os << "(" << e.code << ", " << e.shift << ")"; }

class FormsWinTest : public WinTest {
protected:
    FormsWinTest() {
        // Far from where the forms appear, so that no real mouse move interferes.
        SetCursorPos(1000, 740);
    }
    ~FormsWinTest() override { form_.reset(); }

    // As the program's own loops do: the forms see each message first.
    template <typename Condition>
    bool PumpUntil(Condition done, int ms = 3000) {
        const auto deadline = GetTickCount64() + static_cast<ULONGLONG>(ms);
        while (!done()) {
            if (GetTickCount64() >= deadline) return false;
            services.events.WaitForEvents(10);
        }
        return true;
    }

    // Lets injected input arrive and be handled; nothing to wait for when a test
    // checks that a key did nothing.
    void Settle() { PumpUntil([] { return false; }, 300); }

    static int DpiX() { return win32::Scale::OfScreen().dpiX(); }

    // Loads the design with handlers that record every event.
    void Load(const forms::FormDesign& design, bool captureKeys = true) {
        forms::Handlers h;
        for (const char* name : {"cmdOK", "cmdCancel", "mnuSettings", "mnuAbout", "mnuExit"})
            h.OnClick(name, [this, name] { clicks_.push_back(name); });
        if (captureKeys)
            h.OnKeyDown("txtHotKey", [this](forms::KeyDownArgs& k) { keyDowns_.push_back({k.keyCode, k.shift}); });
        h.OnKeyPress("txtHotKey", [this](std::int16_t& keyAscii) {
            keyPresses_.push_back(form_->Text("txtHotKey") + "+" + static_cast<char>(keyAscii));
            if (keyAscii == 'x') keyAscii = 0;
            if (keyAscii == 'b') keyAscii = 'B';
        });
        h.unload = [this](bool& cancel) {
            ++unloads_;
            cancel = refuseUnload_;
            enabledDuringUnload_ = other_ && IsWindowEnabled(other_.get());
        };
        form_ = services.forms.Load(design, std::move(h));
        ASSERT_TRUE(form_->Loaded());
        ASSERT_TRUE(SetWindowSubclass(hwnd(), WatchMenuLoops, 0, reinterpret_cast<DWORD_PTR>(this)));
    }

    // Counts the form's menu loops, and leaves one the test did not expect.
    static LRESULT CALLBACK WatchMenuLoops(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                           DWORD_PTR test) {
        auto& self = *reinterpret_cast<FormsWinTest*>(test);
        if (msg == WM_ENTERMENULOOP && ++self.menuLoops_ && !self.menusExpected_) SetTimer(nullptr, 0, 200, LeaveMenu);
        if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, WatchMenuLoops, 0);
        return DefSubclassProc(hwnd, msg, wParam, lParam);
    }

    void ShowAndFocus(const std::string& control) {
        form_->Show();
        ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == hwnd(); })) << "the form did not come to the front";
        form_->SetFocus(control);
        ASSERT_TRUE(PumpUntil([&] { return GetFocus() == Child(control); }));
    }

    HWND hwnd() const { return reinterpret_cast<HWND>(form_->Handle()); }

    HWND Child(const std::string& name) const {
        // The controls are created in tab order and this is their place among the windows.
        static const std::vector<std::string> order = {"lblHotKey", "txtHotKey", "cmdOK",  "cmdCancel",
                                                       "txtName",   "imgIcon",   "lblNote"};
        HWND child = GetWindow(hwnd(), GW_CHILD);
        for (const auto& n : order) {
            if (n == name) return child;
            child = GetWindow(child, GW_HWNDNEXT);
        }
        return nullptr;
    }

    std::string FocusName() const {
        for (const char* n : {"lblHotKey", "txtHotKey", "cmdOK", "cmdCancel", "txtName", "imgIcon", "lblNote"})
            if (GetFocus() == Child(n)) return n;
        return GetFocus() == hwnd() ? "<form>" : "<elsewhere>";
    }

    void Keys(const std::string& keys) {
        platform::TypeKeystrokes(services.keyboard, keys);
        Settle();
    }

    std::unique_ptr<forms::Form> form_;
    std::vector<std::string> clicks_;
    std::vector<KeyDownEvent> keyDowns_;
    std::vector<std::string> keyPresses_;
    int unloads_ = 0;
    bool refuseUnload_ = false;
    bool enabledDuringUnload_ = true;
    int menuLoops_ = 0;
    bool menusExpected_ = false;
    win32::Window other_;
};

}  // namespace kestrel::wintest
