#include "settings/clsSettings.h"
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
    clsSettings s;
    EXPECT_TRUE(s.GetSettings());
    EXPECT_EQ(s.SourceAppTitle(), "");
    EXPECT_EQ(s.HotKey(), 122);
    EXPECT_EQ(s.HotKeyMod(), 0);
    EXPECT_FALSE(s.savenext());
}

TEST_F(StoreWinTest, SavesTextValuesWhereEarlierInstallsKeptThem) {
    clsSettings s;
    s.SourceAppTitle("Kunden \u2013 Grüße");
    s.Field("Konto");
    s.AppName("");
    s.HotKey(123);
    s.HotKeyShift(3);
    s.savenext(true);
    s.SaveSettings();
    DWORD type = 0;
    EXPECT_EQ(Get(L"Hotkey", &type), L"123");
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(Get(L"HotKeyShift"), L"3");
    EXPECT_EQ(Get(L"SaveNext"), L"True");
    EXPECT_EQ(Get(L"AppName"), L"") << "an empty text is stored, not left out";
    EXPECT_EQ(Get(L"SourceWindow"), L"Kunden \x2013 Gr\x00FC\x00DF" L"e");

    clsSettings t;
    t.GetSettings();
    EXPECT_EQ(t.SourceAppTitle(), "Kunden \u2013 Grüße");
    EXPECT_EQ(t.Field(), "Konto");
    EXPECT_EQ(t.AppName(), "");
    EXPECT_EQ(t.HotKey(), 123);
    EXPECT_EQ(t.HotKeyShift(), 3);
    EXPECT_EQ(t.HotKeyMod(), 6);
    EXPECT_TRUE(t.savenext());
}

TEST_F(StoreWinTest, ValuesWrittenByOtherMeansAreReadAndCheckedTheSameWay) {
    Put(L"SourceWindow", L"Orders");
    Put(L"Field", L"Account");
    Put(L"AppName", L"Claims");
    Put(L"Hotkey", L"F11");
    Put(L"HotKeyShift", L"4");
    clsSettings s;
    EXPECT_THROW(s.GetSettings(), Error);
    EXPECT_EQ(s.AppName(), "Claims");
    EXPECT_EQ(s.HotKeyShift(), 0);

    Put(L"Hotkey", L"");
    EXPECT_THROW(s.GetSettings(), Error) << "an empty number does not convert";
    Put(L"Hotkey", L"120");
    Put(L"SaveNext", L"0");
    EXPECT_TRUE(s.GetSettings());
    EXPECT_EQ(s.HotKey(), 120);
    EXPECT_EQ(s.HotKeyMod(), 1);
    EXPECT_FALSE(s.savenext());
}

}  // namespace
}  // namespace kestrel::wintest
