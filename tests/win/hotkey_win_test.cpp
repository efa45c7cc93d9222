// The hotkey end to end: the program's own objects on the real services, the
// source application in another process, the stub runner at its place.
#include "app/application.h"
#include "app/hotkey.h"
#include "fixtures/chord.h"
#include "win/sample_program.h"

namespace kestrel::wintest {
namespace {

const std::string kRunner = "\"C:\\program files\\tamarind\\scripts\\halyard.exe\"";

LRESULT CALLBACK PlainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// The program with settings for Ctrl+Shift+F11 and a search in "Orders -
// ACME"; a test starts it when it needs the whole program.
class HotKeyWinTest : public SampleProgramWinTest {
protected:
    HotKeyWinTest() : SampleProgramWinTest("Orders - ACME", "Account") {}

    void Start() {
        program.Start();
        ASSERT_TRUE(program.hotKey() && program.hotKey()->Registered());
    }

    // Ctrl+Shift+F11 as a person presses it.
    static void Press() { ASSERT_TRUE(fixtures::PressChord({VK_CONTROL, VK_SHIFT, VK_F11})); }

    // A hidden window of the test's own, for a hotkey without the application.
    static win32::Window OwnWindow() { return TestWindow(L"KestrelHotKeyTest", PlainProc, L"Kestrel test", WS_OVERLAPPED); }
};

TEST_F(HotKeyWinTest, APressFromTheSourceStartsTheSearchWithItsSelection) {
    SourceApp app(L"Orders - ACME", L"--text \"ACME Ltd\\nAccount 12345\" --select 18 23");
    Start();
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == app.window(); }, 2000));
    Press();
    const auto calls = InstalledRunner::WaitForCalls(1);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].commandLine, kRunner + " Index=Claims;Criteria=Account='12345'");
}

TEST_F(HotKeyWinTest, AnEmptyCaptureSaysNoDataFoundAndStartsNothing) {
    SourceApp app(L"Orders - ACME", L"--text \"\"");
    MessageBoxWatcher boxes;
    Start();
    Press();
    ASSERT_TRUE(WaitFor([&] { return !boxes.Texts().empty(); }, 5000));
    Pump(200);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"no data found"});
    EXPECT_TRUE(InstalledRunner::Calls().empty());
}

TEST_F(HotKeyWinTest, ACombinationHeldByAnotherProgramIsNotRegisteredAndShowsNothing) {
    SourceApp holder(L"Holder", L"--hotkey 6 122");
    MessageBoxWatcher boxes;
    const auto window = OwnWindow();
    HotKey hotKey(services.hotKeys, services.messageBoxes, reinterpret_cast<platform::WindowId>(window.get()), [] {});
    hotKey.Enable(platform::kModControl | platform::kModShift, VK_F11);
    EXPECT_FALSE(hotKey.Registered());
    EXPECT_TRUE(hotKey.Listening());
    Pump(200);
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(HotKeyWinTest, TwoQuickPressesAgainstASlowSourceStartTheRunnerOnce) {
    SourceApp app(L"Orders - ACME", L"--text \"ACME Ltd\\nAccount 12345\" --select 18 23 --copy-delay 250 --keys-only");
    Start();
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

TEST_F(HotKeyWinTest, AfterTenQuickPressesTheNextPressWorks) {
    SourceApp app(L"Orders - ACME", L"--text \"ACME Ltd\\nAccount 12345\" --select 18 23 --copy-delay 50 --keys-only");
    Start();
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
}

TEST_F(HotKeyWinTest, DisablingGivesTheWindowItsOwnProcedureBack) {
    const auto window = OwnWindow();
    const auto original = GetWindowLongPtrW(window.get(), GWLP_WNDPROC);
    int presses = 0;
    HotKey hotKey(services.hotKeys, services.messageBoxes, reinterpret_cast<platform::WindowId>(window.get()),
                  [&] { ++presses; });
    hotKey.Enable(platform::kModControl | platform::kModShift, VK_F11);
    ASSERT_TRUE(hotKey.Registered());
    Press();
    ASSERT_TRUE(WaitFor([&] { return presses == 1; }, 2000));
    hotKey.Disable();
    EXPECT_FALSE(hotKey.Listening());
    EXPECT_EQ(GetWindowLongPtrW(window.get(), GWLP_WNDPROC), original);
}

}  // namespace
}  // namespace kestrel::wintest
