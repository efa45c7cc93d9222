#include "app/modHotKey.h"
#include "fixtures/chord.h"
#include "win/win_support.h"

namespace kestrel::wintest {
namespace {

const std::string kRunner = "\"C:\\program files\\tamarind\\scripts\\halyard.exe\"";

LRESULT CALLBACK PlainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// A hidden window of the test's own, hooked and registered for Ctrl+Shift+F11
// as the program's main window is.
class HotKeyWinTest : public WinTest {
protected:
    HotKeyWinTest() {
        window_ = TestWindow(L"KestrelHotKeyTest", PlainProc, L"Kestrel", WS_OVERLAPPED);
        auto settings = AppLink().oSettings();
        settings->SourceAppTitle("Orders - ACME");
        settings->AppName("Claims");
        settings->Field("Account");
        settings->HotKey(VK_F11);
        settings->HotKeyShift(3);  // Ctrl+Shift
        AppLink().colFields()->Add("Account", "");
        AppLink().ProcedureType(1);
        switch_ = std::make_unique<HotKeySwitch>(Id());
    }
    ~HotKeyWinTest() override {
        switch_->HotKeyEnabled(false);
        switch_.reset();
        window_.reset();
        modHotKey::WindowDestroyed();
    }
    platform::WindowId Id() const { return reinterpret_cast<platform::WindowId>(window_.get()); }

    // Ctrl+Shift+F11 as a person presses it.
    static void Press() { ASSERT_TRUE(fixtures::PressChord({VK_CONTROL, VK_SHIFT, VK_F11})); }

    win32::Window window_;
    std::unique_ptr<HotKeySwitch> switch_;
    InstalledRunner runner_;
};

TEST_F(HotKeyWinTest, APressFromTheSourceStartsTheSearchWithItsSelection) {
    SourceApp app(L"Orders - ACME", L"--text \"ACME Ltd\\nAccount 12345\" --select 18 23");
    switch_->HotKeyEnabled(true);
    ASSERT_TRUE(switch_->Registered());
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == app.window(); }, 2000));
    Press();
    const auto calls = InstalledRunner::WaitForCalls(1);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].commandLine, kRunner + " Index=Claims;Criteria=Account='12345'");
}

TEST_F(HotKeyWinTest, AnEmptyCaptureSaysNoDataFoundAndStartsNothing) {
    SourceApp app(L"Orders - ACME", L"--text \"\"");
    MessageBoxWatcher boxes;
    switch_->HotKeyEnabled(true);
    Press();
    ASSERT_TRUE(WaitFor([&] { return !boxes.Texts().empty(); }, 5000));
    Pump(200);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"no data found"});
    EXPECT_TRUE(InstalledRunner::Calls().empty());
}

TEST_F(HotKeyWinTest, ACombinationHeldByAnotherProgramLeavesTheFlagFalseAndShowsNothing) {
    SourceApp holder(L"Holder", L"--hotkey 6 122");
    MessageBoxWatcher boxes;
    switch_->HotKeyEnabled(true);
    EXPECT_FALSE(switch_->Registered());
    EXPECT_TRUE(modHotKey::Hooked());
    Pump(200);
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(HotKeyWinTest, TwoQuickPressesAgainstASlowSourceStartTheRunnerOnce) {
    SourceApp app(L"Orders - ACME", L"--text \"ACME Ltd\\nAccount 12345\" --select 18 23 --copy-delay 250");
    switch_->HotKeyEnabled(true);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == app.window(); }, 2000));
    Press();
    Sleep(10);
    Press();
    InstalledRunner::WaitForCalls(1);
    Pump(1500);  // time enough for a second run, were there one
    const auto calls = InstalledRunner::Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].commandLine, kRunner + " Index=Claims;Criteria=Account='12345'");
}

TEST_F(HotKeyWinTest, AfterTenQuickPressesTheNextPressWorksAndTheWindowIsHookedOnce) {
    const auto original = GetWindowLongPtrW(window_.get(), GWLP_WNDPROC);
    SourceApp app(L"Orders - ACME", L"--text \"ACME Ltd\\nAccount 12345\" --select 18 23 --copy-delay 50");
    switch_->HotKeyEnabled(true);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == app.window(); }, 2000));
    for (int i = 0; i < 10; ++i) {
        Press();
        Sleep(5);
    }
    InstalledRunner::WaitForCalls(1);
    Pump(1500);
    const auto before = InstalledRunner::Calls().size();
    ASSERT_GE(before, 1u);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == FindWindowW(nullptr, L"Document Center"); }, 2000));
    // Back to the source, as the user would go, and press once more.
    SetForegroundWindow(app.window());
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == app.window(); }, 2000));
    Press();
    EXPECT_EQ(InstalledRunner::WaitForCalls(before + 1).size(), before + 1);
    switch_->HotKeyEnabled(false);
    EXPECT_EQ(GetWindowLongPtrW(window_.get(), GWLP_WNDPROC), original) << "one unhook restores the original";
}

}  // namespace
}  // namespace kestrel::wintest
