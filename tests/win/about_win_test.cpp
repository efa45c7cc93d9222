#include "about/system_info.h"
#include "win/win_support.h"

namespace kestrel::wintest {
namespace {

const wchar_t* kMsinfo = L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const wchar_t* kLocation = L"SOFTWARE\\Microsoft\\Shared Tools Location";
const std::wstring kFolder = L"C:\\kestrel msinfo";
const std::wstring kProgram = kFolder + L"\\MSINFO32.EXE";

// The two machine-wide values, set for a test and removed afterwards.
class SysInfoWinTest : public WinTest {
protected:
    SysInfoWinTest() {
        Clear();
        CreateDirectoryW(kFolder.c_str(), nullptr);
        DeleteFileW((kProgram + L".log").c_str());
    }
    ~SysInfoWinTest() override {
        Clear();
        CloseWindowsTitled(L"Document Center");
        DeleteFileW((kProgram + L".log").c_str());
        // The stand-in may take a moment to end after its window closed, and
        // holds its file until then; left behind, the next test would find it.
        WaitFor([&] { return DeleteFileW(kProgram.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND; }, 3000);
        DeleteFileW((kProgram + L".start").c_str());
        RemoveDirectoryW(kFolder.c_str());
    }
    static void Clear() {
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kMsinfo, L"PATH");
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kLocation, L"MSINFO");
    }
    static void Set(const wchar_t* key, const wchar_t* name, const std::wstring& value) {
        ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, key, name, REG_SZ, value.c_str(),
                                  static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
    void StartSysInfo() {
        StartSystemInfo(services.registry, services.files, services.programs, services.messageBoxes);
    }
    static void InstallStub() {
        // The stand-in records its start like the runner's does.
        ASSERT_TRUE(CopyFileW((ProgramDir() + L"\\" KESTREL_STUB_RUNNER).c_str(), kProgram.c_str(), FALSE));
    }
};

TEST_F(SysInfoWinTest, TheRegisteredPathIsStarted) {
    InstallStub();
    Set(kMsinfo, L"PATH", kProgram);
    MessageBoxWatcher boxes;
    StartSysInfo();
    ASSERT_TRUE(WaitFor([&] { return !InstalledRunner::Calls(kProgram).empty(); }));
    EXPECT_EQ(InstalledRunner::Calls(kProgram)[0].windowStyle, 1) << "a normal window";
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(SysInfoWinTest, TheSharedToolsFolderIsUsedWhenItHoldsTheProgram) {
    InstallStub();
    Set(kLocation, L"MSINFO", kFolder);
    StartSysInfo();
    EXPECT_TRUE(WaitFor([&] { return !InstalledRunner::Calls(kProgram).empty(); }));
}

TEST_F(SysInfoWinTest, WithoutTheProgramTheMessageIsShown) {
    MessageBoxWatcher boxes;
    Set(kLocation, L"MSINFO", kFolder);  // a folder without MSINFO32.EXE
    StartSysInfo();
    Set(kMsinfo, L"PATH", kFolder + L"\\missing.exe");  // a path to nothing
    StartSysInfo();
    ASSERT_TRUE(WaitFor([&] { return boxes.Texts().size() == 2; }));
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{"System Information Is Unavailable At This Time",
                                                       "System Information Is Unavailable At This Time"}));
    EXPECT_EQ(boxes.Captions()[0], "Kestrel");
}

}  // namespace
}  // namespace kestrel::wintest
