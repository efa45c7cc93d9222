#include <gtest/gtest.h>

#include "fake/fake_fixture.h"
#include "settings/clsSettings.h"

namespace kestrel {
namespace {

class SettingsTest : public fake::FakeTest {
protected:
    clsSettings s;
};

TEST_F(SettingsTest, AFreshObjectIsEmptyUntilLoaded) {
    EXPECT_EQ(s.SourceAppTitle(), "");
    EXPECT_EQ(s.HotKey(), 0);
    EXPECT_EQ(s.HotKeyShift(), 0);
    EXPECT_EQ(s.HotKeyMod(), 0);
    EXPECT_FALSE(s.savenext());
    EXPECT_TRUE(desk.log.empty()) << "creating the object reads nothing";
}

TEST_F(SettingsTest, AnEmptyStoreLoadsTheDefaults) {
    EXPECT_TRUE(s.GetSettings());
    EXPECT_EQ(s.SourceAppTitle(), "");
    EXPECT_EQ(s.AppName(), "");
    EXPECT_EQ(s.Field(), "");
    EXPECT_EQ(s.HotKey(), 122);
    EXPECT_EQ(s.HotKeyShift(), 0);
    EXPECT_EQ(s.HotKeyMod(), 0);
    EXPECT_FALSE(s.savenext());
    EXPECT_EQ(s.GrabType(), "Cursor");
    EXPECT_EQ(desk.log, (std::vector<std::string>{"read:SourceWindow", "read:Field", "read:AppName", "read:Hotkey",
                                                  "read:HotKeyShift", "read:SaveNext"}));
}

TEST_F(SettingsTest, LoadsEveryKeyIntoItsProperty) {
    Store("SourceWindow", "Orders - Grüße");
    Store("Field", "Account");
    Store("AppName", "Claims");
    Store("Hotkey", "116");
    Store("HotKeyShift", "3");
    Store("SaveNext", "true");
    s.GetSettings();
    EXPECT_EQ(s.SourceAppTitle(), "Orders - Grüße");
    EXPECT_EQ(s.Field(), "Account");
    EXPECT_EQ(s.AppName(), "Claims");
    EXPECT_EQ(s.HotKey(), 116);
    EXPECT_EQ(s.HotKeyShift(), 3);
    EXPECT_EQ(s.HotKeyMod(), 6);
    EXPECT_TRUE(s.savenext());
}

TEST_F(SettingsTest, SavesAllSixKeysInOrderAndNotTheDerivedFlags) {
    s.SourceAppTitle("");
    s.Field("Policy No");
    s.AppName("Claims");
    s.HotKey(123);
    s.HotKeyShift(3);
    s.savenext(true);
    EXPECT_TRUE(s.SaveSettings());
    EXPECT_EQ(desk.log, (std::vector<std::string>{"save:SourceWindow=", "save:Field=Policy No", "save:AppName=Claims",
                                                  "save:Hotkey=123", "save:HotKeyShift=3", "save:SaveNext=True"}));
}

TEST_F(SettingsTest, ASaveReadsBackUnchanged) {
    s.SourceAppTitle("  padded  ");
    s.Field("");
    s.AppName("Claims; 'quoted'");
    s.HotKey(-5);
    s.HotKeyShift(-1);
    s.savenext(false);
    s.SaveSettings();
    clsSettings t;
    t.GetSettings();
    EXPECT_EQ(t.SourceAppTitle(), "  padded  ");
    EXPECT_EQ(t.Field(), "");
    EXPECT_EQ(t.AppName(), "Claims; 'quoted'");
    EXPECT_EQ(t.HotKey(), -5);
    EXPECT_EQ(t.HotKeyShift(), -1);
    EXPECT_EQ(t.HotKeyMod(), 7);
    EXPECT_FALSE(t.savenext());
}

TEST_F(SettingsTest, ModifierMaskBecomesRegisterHotKeyFlags) {
    const std::pair<std::int16_t, std::int16_t> rows[] = {
        {0, 0}, {1, 4}, {2, 2}, {3, 6}, {4, 1}, {5, 5}, {6, 3}, {7, 7}, {8, 0}, {9, 4}, {-1, 7}, {-32768, 0}, {32767, 7},
    };
    for (const auto& [mask, flags] : rows) {
        s.HotKeyShift(mask);
        EXPECT_EQ(s.HotKeyMod(), flags) << "mask " << mask;
        EXPECT_EQ(s.HotKeyShift(), mask);
    }
}

TEST_F(SettingsTest, BinaryStringIsTheTwosComplementPattern) {
    EXPECT_EQ(clsSettings::ConvertLongToBinaryString(5), std::string(29, '0') + "101");
    EXPECT_EQ(clsSettings::ConvertLongToBinaryString(122), std::string(25, '0') + "1111010");
    EXPECT_EQ(clsSettings::ConvertLongToBinaryString(-1), std::string(32, '1'));
    EXPECT_EQ(clsSettings::ConvertLongToBinaryString(INT32_MIN), "1" + std::string(31, '0'));
    EXPECT_EQ(clsSettings::ConvertLongToBinaryString(INT32_MAX), "0" + std::string(31, '1'));
}

TEST_F(SettingsTest, GrabTypeAlwaysReadsCursor) {
    s.GrabType("Selection");
    EXPECT_EQ(s.GrabType(), "Cursor");
}

TEST(StoreConversions, NumbersAndBooleans) {
    const std::pair<const char*, std::optional<std::int16_t>> numbers[] = {
        {"122", 122}, {"-3", -3}, {" 7 ", 7}, {"+5", 5}, {"32767", 32767}, {"-32768", -32768},
        {"32768", std::nullopt}, {"-32769", std::nullopt}, {"", std::nullopt}, {"F11", std::nullopt},
        {"1.5", std::nullopt}, {"-", std::nullopt}, {"99999999999999999999", std::nullopt},
    };
    for (const auto& [text, value] : numbers) EXPECT_EQ(TextToInt16(text), value) << '"' << text << '"';
    const std::pair<const char*, std::optional<bool>> flags[] = {
        {"True", true}, {"true", true}, {"TRUE", true}, {"False", false}, {"fAlSe", false}, {"0", false},
        {"1", true}, {"-1", true}, {"0.0", false}, {"2.5", true}, {"", std::nullopt}, {"yes", std::nullopt},
        {"nan", std::nullopt},
    };
    for (const auto& [text, value] : flags) EXPECT_EQ(TextToBool(text), value) << '"' << text << '"';
}

TEST_F(SettingsTest, AValueThatDoesNotConvertStopsTheLoadAtItsKey) {
    s.HotKey(1);
    s.HotKeyShift(2);
    s.savenext(true);
    Store("SourceWindow", "Orders");
    Store("Field", "Account");
    Store("AppName", "Claims");
    Store("Hotkey", "F11");
    Store("HotKeyShift", "4");
    Store("SaveNext", "False");
    try {
        s.GetSettings();
        FAIL() << "the load should fail";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("\"Hotkey\""), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("\"F11\""), std::string::npos) << e.what();
    }
    EXPECT_EQ(s.SourceAppTitle(), "Orders");
    EXPECT_EQ(s.Field(), "Account");
    EXPECT_EQ(s.AppName(), "Claims");
    EXPECT_EQ(s.HotKey(), 1) << "later properties keep their old values";
    EXPECT_EQ(s.HotKeyShift(), 2);
    EXPECT_TRUE(s.savenext());
}

TEST_F(SettingsTest, EmptyNumbersAndBadFlagsDoNotConvert) {
    Store("HotKeyShift", "");
    EXPECT_THROW(s.GetSettings(), Error);
    EXPECT_EQ(s.HotKey(), 122) << "the key before it was loaded";

    Store("HotKeyShift", "6");
    Store("SaveNext", "maybe");
    EXPECT_THROW(s.GetSettings(), Error);
    EXPECT_EQ(s.HotKeyMod(), 3);
}

TEST_F(SettingsTest, StoreFailuresGoToTheCaller) {
    desk.failReadAt = "AppName";
    EXPECT_THROW(s.GetSettings(), Error);
    desk.failSaveAt = "Hotkey";
    EXPECT_THROW(s.SaveSettings(), Error);
    EXPECT_EQ(Stored("AppName"), "") << "keys before the failing one were written";
    EXPECT_EQ(Stored("HotKeyShift"), "<absent>") << "keys after it were not";
}

}  // namespace
}  // namespace kestrel
