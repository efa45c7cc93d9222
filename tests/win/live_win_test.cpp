// Settings changed while the program runs reach the next press: policy's
// once Group Policy announces its refresh, as it does, to every top-level
// window; the store's as soon as they are written, the hotkey registered anew.
#include <string>
#include <vector>

#include "fixtures/chord.h"
#include "win/sample_program.h"

namespace kestrel::wintest {
namespace {

const wchar_t* kPolicyKey = L"Software\\Policies\\Kestrel";

void Put(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, value.c_str(),
                              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

class LiveChangesWinTest : public SampleProgramWinTest {
protected:
    LiveChangesWinTest() : SampleProgramWinTest("Customer Record*", "CustomerNo") {
        RegDeleteTreeW(HKEY_CURRENT_USER, kPolicyKey);
    }
    ~LiveChangesWinTest() override { RegDeleteTreeW(HKEY_CURRENT_USER, kPolicyKey); }
};

TEST_F(LiveChangesWinTest, APolicyRefreshAndAStoreChangeReachTheNextPress) {
    program.Start();
    ASSERT_TRUE(program.hotKey() && program.hotKey()->Registered());
    SourceApp app(L"Customer Record - CRM", L"--text \"100234\" --select 0 6");
    std::size_t runs = 0;
    // The search the press started, or what went wrong.
    const auto press = [&](const std::vector<WORD>& chord) -> std::string {
        SetForegroundWindow(app.window());
        if (!WaitFor([&] { return GetForegroundWindow() == app.window(); }, 2000)) return "not in front";
        if (!fixtures::PressChord(chord)) return "not pressed";
        const auto calls = InstalledRunner::WaitForCalls(++runs);
        CloseWindowsTitled(L"Document Center");
        return calls.size() == runs ? calls.back().commandLine : "no search";
    };
    const std::string runner = "\"C:\\program files\\tamarind\\scripts\\halyard.exe\" ";

    Put(kPolicyKey, L"AppName", L"Letters");
    Pump(200);
    EXPECT_EQ(program.settings().sources[0].documentType, "Claims") << "policy is read when it is refreshed";
    test::Thread refresh([] {
        SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Policy"),
                            SMTO_ABORTIFHUNG, 5000, nullptr);
    });
    const bool heard = WaitFor([&] { return program.settings().sources[0].documentType == "Letters"; });
    refresh.join();
    ASSERT_TRUE(heard);
    EXPECT_EQ(press({VK_CONTROL, VK_SHIFT, VK_F11}), runner + "Index=Letters;Criteria=CustomerNo='100234'");

    // As a script of the administrator's would write them.
    const std::wstring settings = std::wstring(kSettingsRoot) + L"\\Settings";
    Put(settings, L"Field", L"Account");
    Put(settings, L"Hotkey", std::to_wstring(VK_F9));
    ASSERT_TRUE(WaitFor([&] {
        return program.settings().sources[0].searchField == "Account" && program.settings().hotKey == VK_F9;
    }));
    ASSERT_TRUE(program.hotKey()->Registered());
    EXPECT_EQ(press({VK_CONTROL, VK_SHIFT, VK_F9}), runner + "Index=Letters;Criteria=Account='100234'");

    // The whole key removed, then written anew: still heard, the hotkey now the default F11.
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsRoot);
    ASSERT_TRUE(WaitFor([&] { return program.settings().sources[0].searchField.empty(); }));
    EXPECT_FALSE(program.hotKey()->Registered()) << "nothing to search by";
    Put(settings, L"Field", L"Ledger");
    ASSERT_TRUE(WaitFor([&] { return program.hotKey()->Registered(); }));
    EXPECT_EQ(press({VK_F11}), runner + "Index=Letters;Criteria=Ledger='100234'");
}

}  // namespace
}  // namespace kestrel::wintest
