// The help desk's log file as the system keeps it: stamped UTF-8 lines under
// the user's local application data, a new file past the limit with the
// older one kept, and a line skipped, not waited for, while the file cannot
// be opened.
#include <regex>

#include "platform/win32/log_file.h"
#include "win/win_support.h"

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
}

}  // namespace
}  // namespace kestrel::wintest
