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
    saved.sourceWindow = "Kunden \u2013 Grüße";
    saved.searchField = "Konto";
    saved.documentType = "";
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
    EXPECT_EQ(loaded.sourceWindow, "Orders");
    EXPECT_EQ(loaded.searchField, "Account");
    EXPECT_EQ(loaded.documentType, "Claims");
    EXPECT_EQ(loaded.hotKey, 120);
    EXPECT_EQ(loaded.hotKeyShift, 4);
    EXPECT_FALSE(loaded.saveNext);
}

}  // namespace
}  // namespace kestrel::wintest
