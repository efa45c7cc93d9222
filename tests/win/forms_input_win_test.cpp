// Forms at work: keys in text boxes, Enter and Esc, clicks and access keys,
// the close box, modal loops, pop-up menus and window states.
#include "win/forms_win_fixture.h"

namespace kestrel::wintest {
namespace {

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
        platform::TypeKeystrokes(services.keyboard, row.keys);
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
    ASSERT_EQ(services.keyboard.Send({{VK_MENU, false}, {VK_MENU, true}}), 2u);
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
        std::string nameEnters = "";  // txtName's own Enter button
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
        {"cmdOK", "cmdCancel", "txtName", "{enter}", {"cmdCancel"}, "cmdCancel"},
        {"cmdOK", "cmdCancel", "txtHotKey", "{enter}", {"cmdOK"}, "cmdCancel"},
    };
    for (const auto& row : rows) {
        const std::string what = row.keys + " in " + row.focus + ", default '" + row.defaultButton + "', cancel '" +
                                 row.cancelButton + "'";
        auto design = TestDesign(row.defaultButton, row.cancelButton);
        design.controls[1].enterButton = row.nameEnters;
        Load(design);
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

TEST_F(FormsWinTest, ChangeRunsWhenTheUserOrTheProgramChangesABoxsText) {
    forms::Form* self = nullptr;
    std::vector<std::string> changes;
    forms::Handlers h;
    h.load = [&](forms::Form& f) { self = &f; };
    h.OnChange("txtName", [&] { changes.push_back(self ? self->Text("txtName") : "<while created>"); });
    form_ = services.forms.Load(TestDesign(), std::move(h));
    EXPECT_TRUE(changes.empty()) << "a box made with its text has not changed";
    ShowAndFocus("txtName");
    form_->SetText("txtName", "");
    Keys("ab");
    EXPECT_EQ(changes, (std::vector<std::string>{"", "a", "ab"}));
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
    const int before = services.forms.LoadedForms();

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
    EXPECT_EQ(services.forms.LoadedForms(), before - 1);
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
    auto second = services.forms.Load(TestDesign(), {});
    ASSERT_EQ(services.forms.LoadedForms(), 2);
    form_->Show();
    second->Show();
    PostMessageW(hwnd(), WM_CLOSE, 0, 0);
    PostMessageW(reinterpret_cast<HWND>(second->Handle()), WM_CLOSE, 0, 0);
    Watchdog watchdog(reinterpret_cast<HWND>(second->Handle()), 5000);
    services.forms.RunUntilNoForms();
    EXPECT_FALSE(watchdog.fired());
    EXPECT_EQ(services.forms.LoadedForms(), 0);
    EXPECT_EQ(unloads_, 1);
}

// Chooses from the pop-up menu with the keyboard once it is on screen.
class MenuChooser {
public:
    explicit MenuChooser(std::string keys)
        : thread_([this, keys] {
              const auto deadline = GetTickCount64() + static_cast<ULONGLONG>(Scaled(5000));
              HWND menu = nullptr;
              while (GetTickCount64() < deadline) {
                  menu = FindWindowW(L"#32768", nullptr);
                  if (menu && IsWindowVisible(menu)) break;
                  Sleep(20);
              }
              opened_ = menu && IsWindowVisible(menu);
              // Down, Enter... as one user would; sent even if the menu never
              // showed, so that a menu loop that is running ends.
              win32::Keyboard keyboard;
              platform::TypeKeystrokes(keyboard, opened_ ? keys : "{esc}");
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
    test::Thread thread_;
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
