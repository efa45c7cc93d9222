#include "settings/settings.h"
#include "win/win_support.h"

namespace kestrel::wintest {
namespace {

const wchar_t* kKey = L"Software\\VB and VBA Program Settings\\Kestrel\\Settings";

class StoreWinTest : public WinTest {
protected:
    StoreWinTest() { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Kestrel"); }
    ~StoreWinTest() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Kestrel"); }

    static void Put(const wchar_t* name, const std::wstring& value) {
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kKey, name, REG_SZ, value.c_str(),
                                  static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
    static std::wstring Get(const wchar_t* name, DWORD* type = nullptr) {
        wchar_t buffer[512];
        DWORD size = sizeof buffer, t = 0;
        if (RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_ANY, &t, buffer, &size) != ERROR_SUCCESS)
            return L"<absent>";
        if (type) *type = t;
        return buffer;
    }
};

TEST_F(StoreWinTest, AFirstStartLoadsTheDefaults) {
    EXPECT_EQ(LoadSettings(services.store), Settings{});
}

TEST_F(StoreWinTest, SavesTextValuesWhereEarlierInstallsKeptThem) {
    Settings saved;
    saved.sources[0].window = "Kunden \u2013 Grüße";
    saved.sources[0].searchField = "Konto";
    saved.sources[0].documentType = "";
    saved.hotKey = 123;
    saved.hotKeyShift = 3;
    saved.saveNext = true;
    SaveSettings(services.store, saved);
    DWORD type = 0;
    EXPECT_EQ(Get(L"Hotkey", &type), L"123");
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(Get(L"HotKeyShift"), L"3");
    EXPECT_EQ(Get(L"SaveNext"), L"True");
    EXPECT_EQ(Get(L"AppName"), L"") << "an empty text is stored, not left out";
    EXPECT_EQ(Get(L"SourceWindow"), L"Kunden \x2013 Gr\x00FC\x00DF" L"e");

    EXPECT_EQ(LoadSettings(services.store), saved);
}

TEST_F(StoreWinTest, ValuesWrittenByOtherMeansAreReadAndCheckedTheSameWay) {
    Put(L"SourceWindow", L"Orders");
    Put(L"Field", L"Account");
    Put(L"AppName", L"Claims");
    Put(L"Hotkey", L"F11");
    Put(L"HotKeyShift", L"4");
    EXPECT_THROW(LoadSettings(services.store), Error);

    Put(L"Hotkey", L"");
    EXPECT_THROW(LoadSettings(services.store), Error) << "an empty number does not convert";
    Put(L"Hotkey", L"120");
    Put(L"SaveNext", L"0");
    const auto loaded = LoadSettings(services.store);
    EXPECT_EQ(loaded.sources[0].window, "Orders");
    EXPECT_EQ(loaded.sources[0].searchField, "Account");
    EXPECT_EQ(loaded.sources[0].documentType, "Claims");
    EXPECT_EQ(loaded.hotKey, 120);
    EXPECT_EQ(loaded.hotKeyShift, 4);
    EXPECT_FALSE(loaded.saveNext);
}

// Group Policy's keys, machine and user, as the templates write them.
class PolicyWinTest : public WinTest {
protected:
    static constexpr const wchar_t* kPolicyKey = L"Software\\Policies\\Kestrel";
    PolicyWinTest() { Clear(); }
    ~PolicyWinTest() override { Clear(); }
    static void Clear() {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kPolicyKey);
        RegDeleteTreeW(HKEY_CURRENT_USER, kPolicyKey);
    }
    static void Text(HKEY root, const wchar_t* name, const std::wstring& value) {
        ASSERT_EQ(RegSetKeyValueW(root, kPolicyKey, name, REG_SZ, value.c_str(),
                                  static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
    static void Number(HKEY root, const wchar_t* name, DWORD value) {
        ASSERT_EQ(RegSetKeyValueW(root, kPolicyKey, name, REG_DWORD, &value, sizeof value), ERROR_SUCCESS);
    }
};

TEST_F(PolicyWinTest, MachinePolicyWinsOverUserPolicyWhichWinsOverTheUsersOwn) {
    Text(HKEY_LOCAL_MACHINE, L"AppName", L"Machine");
    Text(HKEY_CURRENT_USER, L"AppName", L"User");
    Text(HKEY_CURRENT_USER, L"Field", L"UserField");
    Number(HKEY_LOCAL_MACHINE, L"Hotkey", 116);  // the templates store numbers as numbers or as text
    Text(HKEY_CURRENT_USER, L"HotKeyShift", L"3");
    const auto s = LoadSettings(services.store, &services.policy);
    EXPECT_EQ(s.sources[0].documentType, "Machine");
    EXPECT_EQ(s.sources[0].searchField, "UserField");
    EXPECT_EQ(s.hotKey, 116);
    EXPECT_EQ(s.hotKeyShift, 3);
    EXPECT_EQ(s.sources[0].window, "") << "not set by policy: the user's own (none)";
    EXPECT_EQ(s.fromPolicy, (std::set<std::string>{"Hotkey", "HotKeyShift"}));
    EXPECT_EQ(s.sources[0].fromPolicy, (std::set<std::string>{"AppName", "Field"}));
}

TEST_F(PolicyWinTest, ABadPolicyValueIsNamedAndTheOthersStillRead) {
    Text(HKEY_LOCAL_MACHINE, L"Hotkey", L"F11");
    Text(HKEY_LOCAL_MACHINE, L"AppName", L"Claims");
    std::string problem;
    const auto s = LoadSettings(services.store, &services.policy, &problem);
    EXPECT_EQ(problem, "the policy setting \"Hotkey\" holds \"F11\", which is not a whole number from -32768 to 32767");
    EXPECT_EQ(s.sources[0].documentType, "Claims");
    const BYTE binary[] = {1, 2};
    ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, kPolicyKey, L"Hotkey", REG_BINARY, binary, sizeof binary), ERROR_SUCCESS);
    EXPECT_THROW(services.policy.Read("", "Hotkey"), Error) << "neither text nor a number";
}

}  // namespace
}  // namespace kestrel::wintest
