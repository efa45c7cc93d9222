// The help desk's log file as the system keeps it: stamped UTF-8 lines under
// the user's local application data, a new file past the limit with the
// older one kept, and a line skipped, not waited for, while the file cannot
// be opened.
#include <cstdio>
#include <regex>

#include "app/application.h"
#include "fixtures/chord.h"
#include "platform/win32/log_file.h"
#include "settings/settings.h"
#include "win/sample_program.h"

namespace kestrel::wintest {
namespace {

TEST(LogFileWinTest, LinesAreStampedRotatedPastTheLimitAndSkippedWhileTheFileCannotBeOpened) {
    EXPECT_TRUE(std::regex_search(Utf8(win32::LogFile().path()), std::regex(R"(\\AppData\\Local\\Kestrel\\kestrel\.log$)",
                                                                          std::regex::icase)))
        << Utf8(win32::LogFile().path());

    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"kestrel-log-test";
    const std::wstring current = folder + L"\\kestrel.log", older = folder + L"\\kestrel.1.log";
    DeleteFileW(current.c_str());
    DeleteFileW(older.c_str());
    RemoveDirectoryW(folder.c_str());

    win32::LogFile log(folder, 300);
    ASSERT_TRUE(log.Append("start: Kestrel 1.0.0 (32-bit), Grüße")) << "the folder is made";
    EXPECT_TRUE(std::regex_match(ReadBytes(current),
                                 std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} start: Kestrel 1\.0\.0 \(32-bit\), Grüße\r\n)")))
        << ReadBytes(current);

    // Sixteen lines of 53 bytes: past 300 bytes the file starts again, twice over.
    for (int i = 0; i < 16; ++i) ASSERT_TRUE(log.Append("press " + std::to_string(i % 10) + std::string(20, '.')));
    const auto now = ReadBytes(current), before = ReadBytes(older);
    EXPECT_LE(now.size(), 300u + 60u);
    EXPECT_NE(before.find("press"), std::string::npos) << "the older lines are in kestrel.1.log";
    EXPECT_NE(now.find("press 5"), std::string::npos) << "the newest line is in kestrel.log";
    EXPECT_EQ(before.find("start:"), std::string::npos) << "an older kestrel.1.log was replaced";

    // Another program holds the file with no sharing: the line is not written, and nothing waits.
    HANDLE held = CreateFileW(current.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(log.Append("while held"));
    CloseHandle(held);
    EXPECT_TRUE(log.Append("after"));
    const auto after = ReadBytes(current);
    EXPECT_EQ(after.find("while held"), std::string::npos);
    EXPECT_NE(after.find("after\r\n"), std::string::npos);

    // A viewer holds the older file without sharing its deletion: the rename
    // fails, and the log starts over rather than grow past its bound, saying so.
    HANDLE viewer = CreateFileW(older.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(viewer, INVALID_HANDLE_VALUE);
    for (int i = 0; i < 16; ++i) ASSERT_TRUE(log.Append("late " + std::to_string(i % 10) + std::string(20, '.')));
    CloseHandle(viewer);
    const auto overBound = ReadBytes(current);
    EXPECT_LE(overBound.size(), 300u + 160u) << overBound;
    EXPECT_NE(overBound.find("it starts over"), std::string::npos) << overBound;
}

// The program's own log of a session: its start, a press by each route and
// one that finds no window, and Exit; printed for whoever reads the run.
class ProgramLogWinTest : public SampleProgramWinTest {
protected:
    ProgramLogWinTest() : SampleProgramWinTest("Customer Record*", "CustomerNo") { DeleteFileW(log_.c_str()); }
    void Press() { ASSERT_TRUE(fixtures::PressChord({VK_CONTROL, VK_SHIFT, VK_F11})); }

    std::wstring log_ = win32::LogFile().path();
};

TEST_F(ProgramLogWinTest, AStartAPressByEachRouteAndExitAreLoggedWithoutTheValue) {
    program.Start();
    std::size_t runs = 0;
    {
        SourceApp edit(L"Customer Record 4711 - Edit", L"--text \"ACME Ltd\\n100234\" --select 10 16");
        Press();
        ASSERT_EQ(InstalledRunner::WaitForCalls(++runs).size(), runs);
    }
    {
        SourceApp grid(L"Customer Record 4711 - Grid", L"--keys-only --text \"ACME Ltd\\n100234\" --select 10 16");
        Press();
        ASSERT_EQ(InstalledRunner::WaitForCalls(++runs).size(), runs);
    }
    {
        SourceApp terminal(L"Customer Record 4711 - mintty",
                           L"--class mintty --keys-only --text \"$ ledger\\n100234\" --select 10 16 --copy-selection");
        ASSERT_TRUE(WaitFor([&] { return services.clipboard.Text() == "100234"; })) << "the terminal copied";
        Press();
        ASSERT_EQ(InstalledRunner::WaitForCalls(++runs).size(), runs);
    }
    {
        ConsoleApp console(L"Customer Record 4711 - Console");
        Press();
        ASSERT_EQ(InstalledRunner::WaitForCalls(++runs).size(), runs);
    }
    CloseWindowsTitled(L"Document Center");
    {
        MessageBoxWatcher boxes;
        Press();  // no window is titled so now
        ASSERT_TRUE(WaitFor([&] { return boxes.Texts().size() == 1; }));
    }
    const HWND exit = FindWindowExW(reinterpret_cast<HWND>(program.mainWindow().form().Handle()), nullptr, L"Button",
                                    L"Exit");
    ASSERT_NE(exit, nullptr);
    SendMessageW(exit, BM_CLICK, 0, 0);

    const auto text = ReadBytes(log_);
    std::printf("[ log ] %s\n", Utf8(log_).c_str());
    std::printf("%s", text.c_str());
    for (const char* part : {" start: Kestrel ", "-bit)\r\n", " settings: SourceWindow from store", " hotkey Ctrl-Shift F11 registered",
                             "route asked control", "route keys", "route terminal (mintty", "route console",
                             "runner started, process", "message box: error activating: 'Customer Record*' window.",
                             " exit\r\n"})
        EXPECT_NE(text.find(part), std::string::npos) << part;
    EXPECT_EQ(text.find("100234"), std::string::npos) << "the value is customer data";
    EXPECT_EQ(text.find("4711"), std::string::npos) << "so is the record in a window's title";
}

// What the keys route learned of a program's copies is stored and known to
// the program's next start, for a window of that program it never saw.
TEST_F(ProgramLogWinTest, CopyTimesLearnedBeforeARestartAreKnownAtTheFirstPressAfterIt) {
    program.Start();
    for (int i = 1; i <= 3; ++i) {
        SourceApp app(L"Customer Record " + std::to_wstring(i), L"--keys-only --text \"ACME Ltd\\n100234\" --select 10 16");
        Press();
        ASSERT_EQ(InstalledRunner::WaitForCalls(static_cast<std::size_t>(i)).size(), static_cast<std::size_t>(i));
    }
    program.mainWindow().form().Unload();
    const auto stored = services.store.Read("Kestrel", "CopyTimes", "1", "");
    EXPECT_EQ(stored.rfind("kestrel_source_app.exe|", 0), 0u) << stored;

    Application again{services};
    again.Start();
    SourceApp app(L"Customer Record 4", L"--keys-only --text \"ACME Ltd\\n100234\" --caret 12");
    Press();
    const auto calls = InstalledRunner::WaitForCalls(4);
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_NE(calls.back().commandLine.find("='100234'"), std::string::npos) << "the caret's line";
    if (again.mainWindow().Loaded()) again.mainWindow().form().Unload();
    const auto text = ReadBytes(log_);
    const auto lastPress = text.rfind(" press: ");
    ASSERT_NE(lastPress, std::string::npos);
    EXPECT_NE(text.find("its program's copies known", lastPress), std::string::npos) << text.substr(lastPress);
}

}  // namespace
}  // namespace kestrel::wintest
