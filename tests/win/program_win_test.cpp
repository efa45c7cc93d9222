// The complete program as a user meets it: started with its settings in the
// registry, worked through its dialog, its tray menu and its hotkey.
#include <algorithm>

#include "win/program_support.h"

namespace kestrel::wintest {
namespace {

TEST_F(ProgramWinTest, TheTrayMenuOpensSettingsAndExitEndsTheProgram) {
    CompleteSettings();
    Start();
    HWND main = Main();
    ASSERT_NE(main, nullptr);
    EXPECT_FALSE(IsWindowVisible(main)) << "no window of the program is visible";
    ASSERT_TRUE(WaitFor([&] { return IconShown(main); }));

    for (UINT other : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN})
        MouseOnIcon(main, other);
    Pump(500);
    EXPECT_EQ(VisibleMenu(), nullptr) << "only the right button's release opens the menu";
    if (VisibleMenu()) Chord({VK_ESCAPE});
    ASSERT_NE(OpenMenu(main), nullptr) << "a right click pops up the menu";
    Chord({VK_DOWN});
    Chord({VK_RETURN});  // Settings
    HWND dialog = WaitForWindow(L"Settings");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(TextOf(Controls(dialog, L"Edit")[2]), L"Account");
    Click(ButtonCaptioned(dialog, L"Cancel"));
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));

    ASSERT_NE(OpenMenu(main), nullptr);
    Chord({VK_DOWN});
    Chord({VK_DOWN});  // the separator is skipped: Exit
    Chord({VK_RETURN});
    EXPECT_TRUE(Ended()) << "the program ends when its last window goes";
    EXPECT_FALSE(IconShown(main)) << "the icon is gone";
}

TEST_F(ProgramWinTest, AboutShowsTheVersionAndOutlivesExit) {
    CompleteSettings();
    Start();
    HWND main = Main();
    ASSERT_TRUE(WaitFor([&] { return IconShown(main); }));
    ASSERT_NE(OpenMenu(main), nullptr);
    for (int i = 0; i < 3; ++i) Chord({VK_DOWN});  // Settings, Exit, About
    Chord({VK_RETURN});
    HWND about = WaitForWindow(L"About Kestrel");
    ASSERT_NE(about, nullptr);
    const auto labels = Controls(about, L"Static");
    std::vector<std::wstring> texts;
    for (HWND l : labels) texts.push_back(TextOf(l));
    EXPECT_NE(std::find(texts.begin(), texts.end(), L"Version 1.0.0"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), L"Kestrel"), texts.end());

    ASSERT_NE(OpenMenu(main), nullptr);
    Chord({VK_DOWN});
    Chord({VK_DOWN});
    Chord({VK_RETURN});  // Exit
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(main); })) << "the main window goes";
    EXPECT_FALSE(IconShown(main)) << "the icon goes at once";
    EXPECT_FALSE(Ended(500)) << "the About box keeps the program alive";
    Click(ButtonCaptioned(about, L"OK"));
    EXPECT_TRUE(Ended()) << "and it ends when the box closes";
}

TEST_F(ProgramWinTest, ARecreatedNotificationAreaGetsTheIconAgain) {
    CompleteSettings();
    Start();
    HWND main = Main();
    ASSERT_TRUE(WaitFor([&] { return IconShown(main); }));
    // What a restarted Explorer leaves behind: a notification area without the icon.
    NOTIFYICONDATAW data{};
    data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data.hWnd = main;
    data.uID = 1;
    Shell_NotifyIconW(NIM_DELETE, &data);
    ASSERT_FALSE(IconShown(main));
    PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(WaitFor([&] { return IconShown(main); })) << "the program puts its icon back";
}

TEST_F(ProgramWinTest, ASecondStartBringsTheRunningProgramsSettingsForwardAndEnds) {
    CompleteSettings();
    Start();
    HWND main = Main();
    ASSERT_TRUE(WaitFor([&] { return IconShown(main); }));
    SourceApp other(L"Front Desk", L"--text \"in front\"");
    // The dialog opens on the first later start, and comes forward again on the next.
    for (const char* what : {"closed", "open behind another program"}) {
        Front(other.window());
        Process second(ProgramCommandLine());
        bool mainWindow = false;
        const bool ended = WaitFor(
            [&] {
                mainWindow = mainWindow || WindowOf(second.id(), L"Kestrel");
                return WaitForSingleObject(second.handle(), 0) == WAIT_OBJECT_0;
            },
            5000);
        ASSERT_TRUE(ended) << what << ": the second program ends";
        DWORD exitCode = 1;
        GetExitCodeProcess(second.handle(), &exitCode);
        EXPECT_EQ(exitCode, 0u) << what;
        EXPECT_FALSE(mainWindow) << what << ": it made no main window, so no icon";
        HWND dialog = WaitForWindow(L"Settings");
        ASSERT_NE(dialog, nullptr) << what;
        EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == dialog; }, 2000)) << what;
    }
    EXPECT_FALSE(Ended(100)) << "the first program runs on";
    EXPECT_TRUE(IconShown(main));
}

TEST_F(ProgramWinTest, AHotKeyHeldByAnotherProgramIsNamed) {
    SourceApp holder(L"Holder", L"--hotkey 6 122");
    CompleteSettings();
    Start();
    MessageBoxWatcher boxes(Pid());
    ASSERT_TRUE(WaitFor([&] { return !boxes.Texts().empty(); }));
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"The hotkey Ctrl-Shift F11 is in use by another program. Choose another one in Settings."});
    EXPECT_EQ(boxes.Captions(), std::vector<std::string>{"Kestrel"});
    EXPECT_FALSE(Ended(300)) << "the program keeps running";
}

TEST_F(ProgramWinTest, ACorruptHotKeyIsReportedAndTheProgramStaysToBeRepaired) {
    CompleteSettings();
    Settings({{L"Hotkey", L"F11"}});
    Start();
    HWND main = Main();
    MessageBoxWatcher boxes(Pid());
    ASSERT_TRUE(WaitFor([&] { return !boxes.Texts().empty(); }));
    EXPECT_EQ(boxes.Texts()[0],
              "error in Main: the setting \"Hotkey\" holds \"F11\", which is not a whole number from -32768 to 32767");
    EXPECT_FALSE(Ended(300)) << "the program keeps running";
    EXPECT_TRUE(IconShown(main)) << "its icon leads to Settings";
}

}  // namespace
}  // namespace kestrel::wintest
