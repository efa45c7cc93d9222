// Form designs rendered into real windows: geometry in pixels, styles, the
// dialog font, keyboard navigation, and events routed to handlers by name.
#include <cmath>
#include <memory>
#include <thread>

#include "platform/forms.h"
#include "platform/keys.h"
#include "platform/win32/forms_win32.h"
#include "platform/win32/text.h"
#include "win/win_support.h"

namespace kestrel::wintest {
namespace {

using forms::Border;
using forms::ControlKind;
using forms::StartPosition;

// As the host's own loops: the dialog manager sees each message first.
void PumpForms(int ms) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(ms), QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (win32::PreTranslateFormMessage(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

template <typename Condition>
bool PumpUntil(Condition done, int ms = 3000) {
    const auto deadline = GetTickCount64() + static_cast<ULONGLONG>(ms);
    while (!done()) {
        if (GetTickCount64() >= deadline) return false;
        PumpForms(10);
    }
    return true;
}

// Lets injected input arrive and be handled; nothing to wait for when a test
// checks that a key did nothing.
void Settle() { PumpUntil([] { return false; }, 300); }

// Destroys the given window if a blocking call has not returned in time, so
// that a fault fails the test instead of hanging it.
HWND g_watchdogTarget = nullptr;
bool g_watchdogFired = false;

VOID CALLBACK WatchdogFired(HWND, UINT, UINT_PTR, DWORD) {
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
VOID CALLBACK LeaveMenu(HWND, UINT, UINT_PTR timer, DWORD) {
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
forms::FormDesign TestDesign(const std::string& defaultButton = "cmdOK", const std::string& cancelButton = "cmdCancel") {
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
void PrintTo(const KeyDownEvent& e, std::ostream* os) { *os << "(" << e.code << ", " << e.shift << ")"; }

struct MouseEvent {
    int button, shift;
    float x, y;
    friend bool operator==(const MouseEvent&, const MouseEvent&) = default;
};
void PrintTo(const MouseEvent& e, std::ostream* os) {
    *os << "(" << e.button << ", " << e.shift << ", " << e.x << ", " << e.y << ")";
}

class FormsWinTest : public WinTest {
protected:
    FormsWinTest() {
        // Far from where the forms appear, so that no real mouse move interferes.
        SetCursorPos(1000, 740);
    }
    ~FormsWinTest() override { form_.reset(); }

    // Loads the design with handlers that record every event.
    void Load(const forms::FormDesign& design, bool captureKeys = true) {
        forms::Handlers h;
        for (const char* name : {"cmdOK", "cmdCancel", "mnuSettings", "mnuAbout", "mnuExit"})
            h.click[std::string(name) + "_Click"] = [this, name] { clicks_.push_back(name); };
        if (captureKeys)
            h.keyDown["txtHotKey_KeyDown"] = [this](forms::KeyDownArgs& k) { keyDowns_.push_back({k.keyCode, k.shift}); };
        h.keyPress["txtHotKey_KeyPress"] = [this](std::int16_t& keyAscii) {
            keyPresses_.push_back(form_->Text("txtHotKey") + "+" + static_cast<char>(keyAscii));
            if (keyAscii == 'x') keyAscii = 0;
            if (keyAscii == 'b') keyAscii = 'B';
        };
        h.unload = [this](bool& cancel) {
            ++unloads_;
            cancel = refuseUnload_;
            enabledDuringUnload_ = other_ && IsWindowEnabled(other_.get());
        };
        h.mouseMove = [this](int button, int shift, float x, float y) { mouse_.push_back({button, shift, x, y}); };
        h.message = [this](std::uint32_t msg, std::uintptr_t, std::intptr_t, std::intptr_t& result) {
            if (msg == WM_ENTERMENULOOP && ++menuLoops_ && !menusExpected_) SetTimer(nullptr, 0, 200, LeaveMenu);
            if (msg == taskbarCreated_) {
                ++taskbarCreatedSeen_;
                result = 42;
                return true;
            }
            return false;
        };
        form_ = win32::Win32FormHost().Load(design, std::move(h));
        ASSERT_TRUE(form_->Loaded());
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
        platform::SendKeys(keys);
        Settle();
    }

    std::unique_ptr<forms::Form> form_;
    std::vector<std::string> clicks_;
    std::vector<KeyDownEvent> keyDowns_;
    std::vector<std::string> keyPresses_;
    std::vector<MouseEvent> mouse_;
    int unloads_ = 0;
    bool refuseUnload_ = false;
    bool enabledDuringUnload_ = true;
    int menuLoops_ = 0;
    bool menusExpected_ = false;
    const UINT taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
    int taskbarCreatedSeen_ = 0;
    win32::Window other_;
};

TEST_F(FormsWinTest, RendersTheDesignInPixelsAt96Dpi) {
    if (win32::Win32FormHost().TwipsPerPixelX() != 15.0f) GTEST_SKIP() << "the screen is not at 96 DPI";
    Load(TestDesign());
    EXPECT_FALSE(IsWindowVisible(hwnd())) << "loaded hidden";
    EXPECT_EQ(GetWindow(hwnd(), GW_OWNER), nullptr);
    EXPECT_EQ(FindWindowW(nullptr, kCaption), hwnd());

    RECT client{};
    GetClientRect(hwnd(), &client);
    EXPECT_EQ(client.right, 321);  // 4820 / 15 = 321.3
    EXPECT_EQ(client.bottom, 162);
    POINT origin{0, 0};
    ClientToScreen(hwnd(), &origin);
    EXPECT_EQ(origin.x, 100);
    EXPECT_EQ(origin.y, 80);

    struct Row {
        std::string name;
        const wchar_t* cls;
        RECT pixels;
    };
    const std::vector<Row> rows = {
        {"lblHotKey", L"Static", {8, 10, 89, 27}},    {"txtHotKey", L"Edit", {96, 8, 256, 29}},
        {"cmdOK", L"Button", {264, 8, 313, 33}},      {"cmdCancel", L"Button", {264, 40, 313, 65}},
        {"txtName", L"Edit", {96, 40, 256, 61}},      {"imgIcon", L"Static", {8, 80, 40, 112}},
        {"lblNote", L"Static", {67, 127, 133, 147}},  // 1000..2000 x 1900..2200 twips
    };
    for (const auto& row : rows) {
        const HWND child = Child(row.name);
        ASSERT_NE(child, nullptr) << row.name;
        wchar_t cls[32] = L"";
        GetClassNameW(child, cls, 32);
        EXPECT_EQ(_wcsicmp(cls, row.cls), 0) << row.name << " is a " << Utf8(cls);
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, row.pixels.left) << row.name;
        EXPECT_EQ(r.top, row.pixels.top) << row.name;
        EXPECT_EQ(r.right, row.pixels.right) << row.name;
        EXPECT_EQ(r.bottom, row.pixels.bottom) << row.name;
    }
    EXPECT_EQ(GetWindow(Child("lblNote"), GW_HWNDNEXT), nullptr) << "a line is painted, not a window";
}

TEST_F(FormsWinTest, ControlsHaveTheirKindsStylesAndTexts) {
    Load(TestDesign());
    const auto style = [&](const char* name) { return static_cast<DWORD>(GetWindowLongPtrW(Child(name), GWL_STYLE)); };
    const auto exStyle = [&](const char* name) {
        return static_cast<DWORD>(GetWindowLongPtrW(Child(name), GWL_EXSTYLE));
    };
    EXPECT_EQ(style("cmdOK") & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON));
    EXPECT_EQ(style("cmdCancel") & BS_TYPEMASK, static_cast<DWORD>(BS_PUSHBUTTON));
    for (const char* box : {"txtHotKey", "txtName"}) {
        EXPECT_TRUE(style(box) & ES_AUTOHSCROLL) << box;
        EXPECT_FALSE(style(box) & ES_MULTILINE) << box;
        EXPECT_TRUE(exStyle(box) & WS_EX_CLIENTEDGE) << box;
        EXPECT_EQ(SendMessageW(Child(box), EM_GETLIMITTEXT, 0, 0), 0x7FFFFFFE) << box << " has no length limit";
    }
    for (const char* focusable : {"txtHotKey", "txtName", "cmdOK", "cmdCancel"})
        EXPECT_TRUE(style(focusable) & WS_TABSTOP) << focusable;
    EXPECT_TRUE(style("lblHotKey") & SS_NOPREFIX);
    EXPECT_EQ(style("imgIcon") & SS_TYPEMASK, static_cast<DWORD>(SS_ICON));
    EXPECT_NE(SendMessageW(Child("imgIcon"), STM_GETICON, 0, 0), 0);

    EXPECT_EQ(form_->Text("txtName"), "Größe");
    EXPECT_EQ(form_->Text("lblHotKey"), "&Hot key:");
    form_->SetText("txtHotKey", "Ctrl+Shift+F5 ✓");
    wchar_t text[64] = L"";
    GetWindowTextW(Child("txtHotKey"), text, 64);
    EXPECT_EQ(std::wstring(text), L"Ctrl+Shift+F5 ✓");
    EXPECT_EQ(form_->Text("txtHotKey"), "Ctrl+Shift+F5 ✓");
    EXPECT_THROW(form_->Text("txtMissing"), Error);
    EXPECT_THROW(form_->SetText("txtMissing", "x"), Error);

    form_->SetCaption("Einstellungen – Kestrel");
    EXPECT_EQ(form_->Caption(), "Einstellungen – Kestrel");
    EXPECT_EQ(FindWindowW(nullptr, L"Einstellungen – Kestrel"), hwnd());
}

TEST_F(FormsWinTest, EveryControlUsesTheSystemsMessageFont) {
    Load(TestDesign());
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
    const auto font = reinterpret_cast<HFONT>(SendMessageW(Child("lblHotKey"), WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    LOGFONTW used{};
    ASSERT_TRUE(GetObjectW(font, sizeof used, &used));
    EXPECT_EQ(std::wstring(used.lfFaceName), std::wstring(metrics.lfMessageFont.lfFaceName));
    EXPECT_EQ(used.lfHeight, metrics.lfMessageFont.lfHeight);
    EXPECT_EQ(used.lfWeight, metrics.lfMessageFont.lfWeight);
    for (const char* name : {"txtHotKey", "cmdOK", "cmdCancel", "txtName", "lblNote"})
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(Child(name), WM_GETFONT, 0, 0)), font)
            << name << ": one font for all";
    // A second form shares the host's font.
    auto second = win32::Win32FormHost().Load(TestDesign(), {});
    const HWND label = GetWindow(reinterpret_cast<HWND>(second->Handle()), GW_CHILD);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)), font);
}

TEST_F(FormsWinTest, BorderAndButtonsChooseTheWindowStyle) {
    struct Row {
        Border border;
        bool minButton, maxButton, showIcon;
        bool minBox, maxBox, sizable, dialogFrame;
    };
    const std::vector<Row> rows = {
        {Border::FixedSingle, false, false, true, false, false, false, false},
        {Border::FixedSingle, true, false, true, true, false, false, false},
        {Border::Sizable, true, true, true, true, true, true, false},
        {Border::Sizable, false, false, false, false, false, true, false},
        {Border::FixedDialog, true, true, true, false, false, false, true},
    };
    for (const auto& row : rows) {
        auto design = TestDesign();
        design.border = row.border;
        design.minButton = row.minButton;
        design.maxButton = row.maxButton;
        design.showIcon = row.showIcon;
        design.start = StartPosition::WindowsDefault;
        Load(design);
        const int line = static_cast<int>(&row - rows.data());
        const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_STYLE));
        const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_EXSTYLE));
        EXPECT_EQ(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION)) << line;
        EXPECT_TRUE(style & WS_SYSMENU) << line;
        EXPECT_EQ((style & WS_MINIMIZEBOX) != 0, row.minBox) << line;
        EXPECT_EQ((style & WS_MAXIMIZEBOX) != 0, row.maxBox) << line;
        EXPECT_EQ((style & WS_THICKFRAME) != 0, row.sizable) << line;
        EXPECT_EQ((exStyle & WS_EX_DLGMODALFRAME) != 0, row.dialogFrame) << line;
        EXPECT_EQ(SendMessageW(hwnd(), WM_GETICON, ICON_BIG, 0) != 0, row.showIcon) << line;
        EXPECT_EQ(SendMessageW(hwnd(), WM_GETICON, ICON_SMALL, 0) != 0, row.showIcon) << line;
        RECT client{};
        GetClientRect(hwnd(), &client);
        const float tpp = win32::Win32FormHost().TwipsPerPixelX();
        EXPECT_EQ(client.right, std::lround(4820 / tpp)) << line << ": the frame is outside the client area";
        EXPECT_EQ(client.bottom, std::lround(2430 / tpp)) << line;
    }
}

TEST_F(FormsWinTest, CenterScreenCentresTheWindowInTheWorkArea) {
    auto design = TestDesign();
    design.start = StartPosition::CenterScreen;
    Load(design);
    RECT work{}, window{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(hwnd(), &window);
    EXPECT_LE(std::abs((window.left + window.right) - (work.left + work.right)), 1);
    EXPECT_LE(std::abs((window.top + window.bottom) - (work.top + work.bottom)), 1);
}

TEST_F(FormsWinTest, FocusStartsAtTheFirstControlAndTabFollowsTheTabIndex) {
    Load(TestDesign());
    form_->Show();
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == hwnd(); }));
    EXPECT_EQ(FocusName(), "txtHotKey") << "labels cannot take the focus";

    std::vector<std::string> visited;
    for (int i = 0; i < 4; ++i) {
        Keys("{tab}");
        visited.push_back(FocusName());
    }
    EXPECT_EQ(visited, (std::vector<std::string>{"cmdOK", "cmdCancel", "txtName", "txtHotKey"}));
    Keys("+{tab}");
    EXPECT_EQ(FocusName(), "txtName");
    EXPECT_TRUE(clicks_.empty());

    // Chosen before showing: the form starts there instead.
    Load(TestDesign());
    form_->SetFocus("cmdCancel");
    form_->Show();
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == hwnd(); }));
    EXPECT_EQ(FocusName(), "cmdCancel");
}

TEST_F(FormsWinTest, KeyDownInATextBoxReportsTheKeyAndTheModifiers) {
    struct Row {
        std::string keys;
        std::vector<KeyDownEvent> expected;
        std::string text;  // the box's text afterwards
    };
    const std::vector<Row> rows = {
        {"z", {{'Z', 0}}, "z"},
        {"+z", {{VK_SHIFT, 1}, {'Z', 1}}, "Z"},
        {"%z", {{VK_MENU, 4}, {'Z', 4}}, ""},  // as WM_SYSKEYDOWN; no character, no menu
        {"^+{F5}", {{VK_CONTROL, 2}, {VK_SHIFT, 3}, {VK_F5, 3}}, ""},
        {"%{F5}", {{VK_MENU, 4}, {VK_F5, 4}}, ""},
    };
    Load(TestDesign("", ""));
    ShowAndFocus("txtHotKey");
    for (const auto& row : rows) {
        keyDowns_.clear();
        form_->SetText("txtHotKey", "");
        menuLoops_ = 0;
        platform::SendKeys(row.keys);
        PumpUntil([&] { return keyDowns_.size() >= row.expected.size(); });
        Settle();
        EXPECT_EQ(menuLoops_, 0) << row.keys << " entered a menu";
        EXPECT_EQ(keyDowns_, row.expected) << row.keys;
        EXPECT_EQ(form_->Text("txtHotKey"), row.text) << row.keys;
        EXPECT_EQ(FocusName(), "txtHotKey") << row.keys;
    }
    EXPECT_TRUE(clicks_.empty());
}

TEST_F(FormsWinTest, AltAloneInAKeyCapturingBoxOpensNoMenu) {
    Load(TestDesign("", ""));
    ShowAndFocus("txtHotKey");
    ASSERT_EQ(platform::Current().keyboard->SendInput({{VK_MENU, false}, {VK_MENU, true}}), 2u);
    PumpUntil([&] { return !keyDowns_.empty(); });
    Settle();
    EXPECT_EQ(menuLoops_, 0);
    EXPECT_EQ(keyDowns_, (std::vector<KeyDownEvent>{{VK_MENU, 4}}));
    EXPECT_EQ(FocusName(), "txtHotKey");
}

TEST_F(FormsWinTest, KeyPressRunsBeforeTheBoxEditsAndCanChangeOrSwallowTheCharacter) {
    Load(TestDesign());
    ShowAndFocus("txtHotKey");
    Keys("axb");
    EXPECT_EQ(keyPresses_, (std::vector<std::string>{"+a", "a+x", "a+b"}));
    EXPECT_EQ(form_->Text("txtHotKey"), "aB");
}

TEST_F(FormsWinTest, EnterAndEscPressOnlyTheDesignsButtons) {
    struct Row {
        std::string defaultButton, cancelButton, focus, keys;
        std::vector<std::string> clicks;
    };
    const std::vector<Row> rows = {
        {"cmdOK", "cmdCancel", "txtHotKey", "{enter}", {"cmdOK"}},
        {"cmdOK", "cmdCancel", "cmdCancel", "{enter}", {"cmdOK"}},
        {"cmdOK", "cmdCancel", "txtName", "{esc}", {"cmdCancel"}},
        {"", "", "txtHotKey", "{enter}", {}},
        {"", "", "txtName", "{enter}{esc}", {}},
        {"", "", "cmdOK", "{enter}{esc}", {}},
        {"cmdOK", "", "txtHotKey", "{esc}", {}},
        {"", "cmdCancel", "txtHotKey", "{enter}", {}},
    };
    for (const auto& row : rows) {
        const std::string what = row.keys + " in " + row.focus + ", default '" + row.defaultButton + "', cancel '" +
                                 row.cancelButton + "'";
        Load(TestDesign(row.defaultButton, row.cancelButton));
        ShowAndFocus(row.focus);
        clicks_.clear();
        keyPresses_.clear();
        Keys(row.keys);
        EXPECT_EQ(clicks_, row.clicks) << what;
        EXPECT_TRUE(keyPresses_.empty()) << what << ": no character reaches the box";
        EXPECT_EQ(form_->Text("txtHotKey"), "") << what;
        EXPECT_TRUE(form_->Loaded()) << what;
    }
}

TEST_F(FormsWinTest, ClicksAndAccessKeysReachTheButtonsHandler) {
    Load(TestDesign("", ""));
    ShowAndFocus("txtName");

    SendMessageW(Child("cmdCancel"), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks_, std::vector<std::string>{"cmdCancel"});

    clicks_.clear();
    RECT r{};
    GetWindowRect(Child("cmdOK"), &r);
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    INPUT click[3]{};
    for (auto& in : click) in.type = INPUT_MOUSE;
    click[0].mi.dx = ((r.left + r.right) / 2 * 65535 + w / 2) / (w - 1);
    click[0].mi.dy = ((r.top + r.bottom) / 2 * 65535 + h / 2) / (h - 1);
    click[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    click[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    click[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ASSERT_EQ(SendInput(3, click, sizeof(INPUT)), 3u);
    EXPECT_TRUE(PumpUntil([&] { return !clicks_.empty(); }));
    EXPECT_EQ(clicks_, std::vector<std::string>{"cmdOK"});
    SetCursorPos(1000, 740);

    // "&Save": Alt+S presses it, except in the box that takes Alt chords as keys.
    clicks_.clear();
    form_->SetFocus("txtName");
    Keys("%s");
    EXPECT_EQ(clicks_, std::vector<std::string>{"cmdOK"});
    clicks_.clear();
    form_->SetFocus("txtHotKey");
    Keys("%s");
    EXPECT_TRUE(clicks_.empty());
    EXPECT_EQ(keyDowns_.back(), (KeyDownEvent{'S', 4}));
}

TEST_F(FormsWinTest, TheCloseBoxRunsUnloadWhichMayCancel) {
    Load(TestDesign());
    form_->Show();
    const HWND window = hwnd();
    const int before = win32::Win32FormHost().LoadedForms();

    refuseUnload_ = true;
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    PumpUntil([&] { return unloads_ == 1; });
    Settle();
    EXPECT_EQ(unloads_, 1);
    EXPECT_TRUE(form_->Loaded());
    EXPECT_TRUE(IsWindowVisible(window));

    refuseUnload_ = false;
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(PumpUntil([&] { return !form_->Loaded(); }));
    EXPECT_EQ(unloads_, 2);
    EXPECT_EQ(form_->Handle(), 0u);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(win32::Win32FormHost().LoadedForms(), before - 1);
    EXPECT_THROW(form_->Text("txtName"), Error);
}

TEST_F(FormsWinTest, ShowModalDisablesTheProgramsOtherWindowsUntilTheFormIsUnloaded) {
    other_ = win32::Window(CreateWindowExW(0, L"STATIC", L"Kestrel other window", WS_OVERLAPPED | WS_VISIBLE, 600, 400,
                                           200, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
    ASSERT_TRUE(other_);
    Load(TestDesign());
    PostMessageW(hwnd(), WM_CLOSE, 0, 0);  // handled inside the modal loop
    {
        Watchdog watchdog(hwnd(), 5000);
        form_->ShowModal();
        EXPECT_FALSE(watchdog.fired()) << "ShowModal did not return when the form was unloaded";
    }
    EXPECT_EQ(unloads_, 1);
    EXPECT_FALSE(enabledDuringUnload_) << "the other window was usable during the modal form";
    EXPECT_FALSE(form_->Loaded());
    EXPECT_TRUE(IsWindowEnabled(other_.get()));
}

TEST_F(FormsWinTest, ShowModalPassesOnTheQuitMessage) {
    other_ = win32::Window(CreateWindowExW(0, L"STATIC", L"Kestrel other window", WS_OVERLAPPED | WS_VISIBLE, 600, 400,
                                           200, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
    Load(TestDesign());
    PostQuitMessage(7);
    {
        Watchdog watchdog(hwnd(), 5000);
        form_->ShowModal();
        EXPECT_FALSE(watchdog.fired());
    }
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "WM_QUIT was swallowed";
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_TRUE(IsWindowEnabled(other_.get()));
}

TEST_F(FormsWinTest, RunUntilNoFormsReturnsOnceEveryFormIsUnloaded) {
    Load(TestDesign());
    auto second = win32::Win32FormHost().Load(TestDesign(), {});
    ASSERT_EQ(win32::Win32FormHost().LoadedForms(), 2);
    form_->Show();
    second->Show();
    PostMessageW(hwnd(), WM_CLOSE, 0, 0);
    PostMessageW(reinterpret_cast<HWND>(second->Handle()), WM_CLOSE, 0, 0);
    Watchdog watchdog(reinterpret_cast<HWND>(second->Handle()), 5000);
    win32::Win32FormHost().RunUntilNoForms();
    EXPECT_FALSE(watchdog.fired());
    EXPECT_EQ(win32::Win32FormHost().LoadedForms(), 0);
    EXPECT_EQ(unloads_, 1);
}

TEST_F(FormsWinTest, MouseMoveReportsTwips) {
    Load(TestDesign());
    const float tpp = win32::Win32FormHost().TwipsPerPixelX();
    struct Row {
        WPARAM wParam;
        LPARAM lParam;
        MouseEvent expected;
    };
    // The tray icon's callback puts the mouse message (517, WM_RBUTTONUP) where x goes.
    const std::vector<Row> rows = {
        {0, 517, {0, 0, 517 * tpp, 0}},
        {MK_LBUTTON | MK_SHIFT, MAKELPARAM(10, 20), {1, 1, 10 * tpp, 20 * tpp}},
        {MK_RBUTTON | MK_CONTROL, MAKELPARAM(-3, -1), {2, 2, -3 * tpp, -1 * tpp}},
    };
    for (const auto& row : rows) PostMessageW(hwnd(), WM_MOUSEMOVE, row.wParam, row.lParam);
    PumpUntil([&] { return mouse_.size() >= rows.size(); });
    ASSERT_EQ(mouse_.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(mouse_[i], rows[i].expected) << i;
    if (tpp == 15.0f) {
        EXPECT_EQ(mouse_[0].x, 7755.0f);
    }
}

TEST_F(FormsWinTest, TheMessageHandlerSeesMessagesFirst) {
    Load(TestDesign());
    PostMessageW(hwnd(), taskbarCreated_, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return taskbarCreatedSeen_ == 1; }));
    EXPECT_EQ(SendMessageW(hwnd(), taskbarCreated_, 0, 0), 42);
}

// Chooses from the pop-up menu with the keyboard once it is on screen.
class MenuChooser {
public:
    explicit MenuChooser(std::string keys)
        : thread_([this, keys] {
              const auto deadline = GetTickCount64() + 5000;
              HWND menu = nullptr;
              while (GetTickCount64() < deadline) {
                  menu = FindWindowW(L"#32768", nullptr);
                  if (menu && IsWindowVisible(menu)) break;
                  Sleep(20);
              }
              opened_ = menu && IsWindowVisible(menu);
              // Down, Enter... as one user would; sent even if the menu never
              // showed, so that a menu loop that is running ends.
              platform::SendKeys(opened_ ? keys : "{esc}");
          }) {}
    ~MenuChooser() {
        if (thread_.joinable()) thread_.join();
    }
    MenuChooser(const MenuChooser&) = delete;
    MenuChooser& operator=(const MenuChooser&) = delete;
    bool Opened() {
        thread_.join();
        return opened_;
    }

private:
    std::atomic<bool> opened_{false};
    std::thread thread_;
};

TEST_F(FormsWinTest, PopupMenuRoutesTheChosenItemBeforeReturning) {
    struct Row {
        std::string keys;
        std::vector<std::string> clicks;
    };
    const std::vector<Row> rows = {
        {"{down}{enter}", {"mnuSettings"}},
        {"{down}{down}{enter}", {"mnuAbout"}},
        {"{down}{down}{down}{enter}", {"mnuExit"}},  // past the separator
        {"{esc}", {}},
    };
    Load(TestDesign());
    menusExpected_ = true;
    ShowAndFocus("txtName");
    SetCursorPos(150, 120);
    for (const auto& row : rows) {
        clicks_.clear();
        MenuChooser chooser(row.keys);
        form_->PopupMenu("Options");
        const auto clicksOnReturn = clicks_;
        EXPECT_TRUE(chooser.Opened()) << row.keys;
        EXPECT_EQ(clicksOnReturn, row.clicks) << row.keys;
        Settle();
        EXPECT_EQ(clicks_, row.clicks) << row.keys << ": nothing more arrives later";
    }
    EXPECT_THROW(form_->PopupMenu("File"), Error);
}

TEST_F(FormsWinTest, WindowStateFollowsTheFormAndWaitsForAHiddenOne) {
    auto design = TestDesign();
    design.border = Border::Sizable;
    design.minButton = design.maxButton = true;
    Load(design);
    form_->SetWindowState(forms::WindowState::Maximized);
    EXPECT_FALSE(IsWindowVisible(hwnd())) << "a hidden form stays hidden";
    EXPECT_EQ(form_->GetWindowState(), forms::WindowState::Maximized);
    form_->Show();
    EXPECT_TRUE(IsZoomed(hwnd()));
    form_->SetWindowState(forms::WindowState::Minimized);
    EXPECT_TRUE(IsIconic(hwnd()));
    EXPECT_EQ(form_->GetWindowState(), forms::WindowState::Minimized);
    form_->SetWindowState(forms::WindowState::Normal);
    EXPECT_FALSE(IsIconic(hwnd()) || IsZoomed(hwnd()));
    EXPECT_EQ(form_->GetWindowState(), forms::WindowState::Normal);
    form_->Hide();
    EXPECT_FALSE(form_->Visible());
}

}  // namespace
}  // namespace kestrel::wintest
