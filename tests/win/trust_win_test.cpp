// A program started from a folder that also holds a DLL with a system DLL's
// name, which Windows looks for there first unless told otherwise. Wine is
// told to prefer such a DLL for the test's program, as Windows does any DLL
// that is not one of its known DLLs. (version.dll itself cannot be the
// planted one here: Wine's user32 imports it, before the program runs.)
#include "win/win_support.h"

namespace kestrel::wintest {
namespace {

const std::wstring kFolder = L"C:\\kestrel downloads";
const std::wstring kProgram = kFolder + L"\\load_library.exe";
const std::wstring kPlanted = kFolder + L"\\dwmapi.dll";
const std::wstring kMark = kPlanted + L".loaded";
const wchar_t* kAppDefaults = L"Software\\Wine\\AppDefaults\\load_library.exe";

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class PlantedDllWinTest : public WinTest {
protected:
    PlantedDllWinTest() {
        CreateDirectoryW(kFolder.c_str(), nullptr);
        CopyFileW((ProgramDir() + L"\\" KESTREL_PLANTED_DLL).c_str(), kPlanted.c_str(), FALSE);
        CopyFileW((ProgramDir() + L"\\" KESTREL_LOAD_LIBRARY).c_str(), kProgram.c_str(), FALSE);
        const std::wstring order = L"native,builtin";
        RegSetKeyValueW(HKEY_CURRENT_USER, (std::wstring(kAppDefaults) + L"\\DllOverrides").c_str(), L"dwmapi",
                        REG_SZ, order.c_str(), static_cast<DWORD>((order.size() + 1) * sizeof(wchar_t)));
    }
    ~PlantedDllWinTest() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kAppDefaults);
        for (const auto& file : {kProgram, kPlanted, kMark}) DeleteFileW(file.c_str());
        RemoveDirectoryW(kFolder.c_str());
    }
    // The fixture's exit code (see load_library.cpp).
    static DWORD Run(const std::wstring& args) {
        Process run(L"\"" + kProgram + L"\" " + args);
        if (WaitForSingleObject(run.handle(), Scaled(10000)) != WAIT_OBJECT_0) return 99;
        DWORD code = 99;
        GetExitCodeProcess(run.handle(), &code);
        return code;
    }
};

TEST_F(PlantedDllWinTest, TheProgramsWayLoadsTheSystemsDllNeverTheOneBesideIt) {
    ASSERT_TRUE(Exists(kProgram) && Exists(kPlanted));
    struct Row {
        const wchar_t* args;
        bool planted;  // loaded the DLL beside it
        DWORD code;
    };
    const Row rows[] = {
        // Without the program's care the planted DLL is taken: else the rows after would prove nothing.
        {L"plain dwmapi.dll DwmGetWindowAttribute", true, 1},
        {L"start dwmapi.dll DwmGetWindowAttribute", false, 0},
        {L"library dwmapi.dll DwmGetWindowAttribute", false, 0},
    };
    for (const auto& row : rows) {
        DeleteFileW(kMark.c_str());
        EXPECT_EQ(Run(row.args), row.code) << Utf8(row.args);
        EXPECT_EQ(Exists(kMark), row.planted) << Utf8(row.args);
    }
}

}  // namespace
}  // namespace kestrel::wintest
