// Form designs rendered into real windows: geometry in pixels, styles, the
// dialog font, focus order, and handler bindings checked against the design.
#include "win/forms_win_fixture.h"

namespace kestrel::wintest {
namespace {

TEST_F(FormsWinTest, RendersTheDesignInPixelsAt96Dpi) {
    if (DpiX() != 96) GTEST_SKIP() << "the screen is not at 96 DPI";
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

// Counts the windows this thread creates while it lives.
class CreationCounter {
public:
    CreationCounter() : hook_(SetWindowsHookExW(WH_CBT, Count, nullptr, GetCurrentThreadId())) { created_ = 0; }
    ~CreationCounter() { UnhookWindowsHookEx(hook_); }
    CreationCounter(const CreationCounter&) = delete;
    CreationCounter& operator=(const CreationCounter&) = delete;
    bool hooked() const { return hook_ != nullptr; }
    int created() const { return created_; }

private:
    static LRESULT CALLBACK Count(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_CREATEWND) ++created_;
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline int created_ = 0;
    HHOOK hook_;
};

TEST_F(FormsWinTest, AHandlerForAControlTheDesignLacksFailsTheLoadBeforeAnyWindowExists) {
    const int before = services.forms.LoadedForms();
    forms::Handlers h;
    bool loaded = false;
    h.load = [&](forms::Form&) { loaded = true; };
    h.OnClick("cmdOk", [] {});  // the design's button is cmdOK
    CreationCounter windows;
    ASSERT_TRUE(windows.hooked());
    EXPECT_THROW(services.forms.Load(TestDesign(), std::move(h)), Error);
    EXPECT_EQ(windows.created(), 0);
    EXPECT_FALSE(loaded);
    EXPECT_EQ(services.forms.LoadedForms(), before);
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
    auto second = services.forms.Load(TestDesign(), {});
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
        EXPECT_EQ(client.right, std::lround(4820.0 * DpiX() / 1440)) << line << ": the frame is outside the client area";
        EXPECT_EQ(client.bottom, std::lround(2430.0 * win32::Scale::OfScreen().dpiY() / 1440)) << line;
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

}  // namespace
}  // namespace kestrel::wintest

namespace kestrel::wintest {
namespace {

TEST_F(FormsWinTest, AListBoxShowsItsLinesAndClicksWhenTheUserChoosesOne) {
    forms::FormDesign d;
    d.name = "frmListTest";
    d.caption = "Kestrel list test";
    d.clientWidth = 3600;
    d.clientHeight = 2400;
    d.controls = {
        {"txtOther", ControlKind::TextBox, "", {120, 120, 2400, 315}, 0},
        {"lblItems", ControlKind::Label, "&Items", {120, 600, 1200, 255}, 1},
        {"lstItems", ControlKind::ListBox, "", {120, 900, 2400, 1200}, 2},
    };
    d.controls[1].useMnemonic = true;
    std::vector<int> chosen;
    forms::Handlers h;
    h.OnClick("lstItems", [&] { chosen.push_back(form_->ListIndex("lstItems")); });
    form_ = services.forms.Load(d, std::move(h));
    ASSERT_TRUE(form_->Loaded());
    const HWND list = FindWindowExW(hwnd(), nullptr, L"ListBox", nullptr);
    ASSERT_NE(list, nullptr);
    EXPECT_FALSE(GetWindowLongPtrW(FindWindowExW(hwnd(), nullptr, L"Static", nullptr), GWL_STYLE) & SS_NOPREFIX);

    form_->SetItems("lstItems", {"one", "Größe", "three"});
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(form_->ListIndex("lstItems"), -1);
    EXPECT_EQ(form_->Text("lstItems"), "");
    form_->SetListIndex("lstItems", 1);
    EXPECT_EQ(form_->Text("lstItems"), "Größe");
    EXPECT_THROW(form_->SetListIndex("lstItems", 3), Error);
    EXPECT_THROW(form_->SetText("lstItems", "x"), Error);

    form_->Show();
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == hwnd(); }));
    Keys("%i");  // the label's access key: to the list after it
    EXPECT_EQ(GetFocus(), list);
    Keys("{down}");
    EXPECT_EQ(chosen, std::vector<int>{2}) << "the user's choice clicks; SetListIndex did not";
    EXPECT_EQ(form_->Text("lstItems"), "three");
    form_->SetItems("lstItems", {"only"});
    EXPECT_EQ(form_->ListIndex("lstItems"), -1) << "new lines, none chosen";
}

}  // namespace
}  // namespace kestrel::wintest
