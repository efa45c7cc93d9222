#include <gtest/gtest.h>

#include "fake/fake_fixture.h"
#include "platform/error.h"
#include "settings/settings.h"
#include "settings/store_text.h"

namespace kestrel {
namespace {

using Log = std::vector<std::string>;

class SettingsTest : public fake::FakeTest {};

TEST_F(SettingsTest, AnEmptyStoreLoadsTheDefaults) {
    const auto s = LoadSettings(desk);
    EXPECT_EQ(s, Settings{}) << "nothing set but the default hotkey, F11";
    EXPECT_EQ(s.hotKey, 122);
    EXPECT_FALSE(s.Complete());
    ASSERT_GE(desk.log.size(), 6u);
    EXPECT_EQ(Log(desk.log.begin(), desk.log.begin() + 6),
              (Log{"read:SourceWindow", "read:Field", "read:AppName", "read:Hotkey", "read:HotKeyShift",
                   "read:SaveNext"}))
        << "source 1 reads as it always has, before anything else";
    EXPECT_TRUE(s.Sources().empty());
    EXPECT_TRUE(s.skippedSources.empty()) << "an absent section is no skipped source";
}

TEST_F(SettingsTest, LoadsEveryKey) {
    Store("SourceWindow", "Orders - Grüße");
    Store("Field", "Account");
    Store("AppName", "Claims");
    Store("Hotkey", "116");
    Store("HotKeyShift", "3");
    Store("SaveNext", "true");
    const auto s = LoadSettings(desk);
    EXPECT_EQ(s.sourceWindow, "Orders - Grüße");
    EXPECT_EQ(s.searchField, "Account");
    EXPECT_EQ(s.documentType, "Claims");
    EXPECT_EQ(s.hotKey, 116);
    EXPECT_EQ(s.hotKeyShift, 3);
    EXPECT_TRUE(s.saveNext);
    EXPECT_TRUE(s.Complete());
}

TEST_F(SettingsTest, SavesEveryKeyInOrder) {
    SaveSettings(desk, {"", "Claims", "Policy No", 123, 3, true});
    EXPECT_EQ(desk.log, (Log{"save:SourceWindow=", "save:Field=Policy No", "save:AppName=Claims", "save:Hotkey=123",
                             "save:HotKeyShift=3", "save:SaveNext=True", "save:ValuePattern=", "save:Column="}));
}

TEST_F(SettingsTest, ASaveReadsBackUnchanged) {
    const Settings saved{"  padded  ", "Claims; 'quoted'", "", -5, -1, false};
    SaveSettings(desk, saved);
    EXPECT_EQ(LoadSettings(desk), saved);
}

TEST(RegistrationModifiers, ModifierMaskBecomesRegistrationFlags) {
    const std::pair<std::int32_t, std::uint32_t> rows[] = {
        {0, 0}, {1, 4}, {2, 2}, {3, 6}, {4, 1}, {5, 5}, {6, 3}, {7, 7}, {8, 0}, {9, 4}, {-1, 7}, {-32768, 0}, {32767, 7},
    };
    for (const auto& [mask, flags] : rows) EXPECT_EQ(RegistrationModifiers(mask), flags) << "mask " << mask;
}

TEST(StoreText, NumbersAndBooleans) {
    const std::pair<const char*, std::optional<std::int16_t>> numbers[] = {
        {"122", 122}, {"-3", -3}, {" 7 ", 7}, {"+5", 5}, {"32767", 32767}, {"-32768", -32768},
        {"32768", std::nullopt}, {"-32769", std::nullopt}, {"", std::nullopt}, {"F11", std::nullopt},
        {"1.5", std::nullopt}, {"-", std::nullopt}, {"99999999999999999999", std::nullopt},
    };
    for (const auto& [text, value] : numbers) EXPECT_EQ(ParseInt16(text), value) << '"' << text << '"';
    const std::pair<const char*, std::optional<bool>> flags[] = {
        {"True", true}, {"true", true}, {"TRUE", true}, {"False", false}, {"fAlSe", false}, {"0", false},
        {"1", true}, {"-1", true}, {"0.0", false}, {"2.5", true}, {"", std::nullopt}, {"yes", std::nullopt},
        {"nan", std::nullopt}, {"2.5E3", true}, {"0e5", false}, {".5", true}, {"5.", true}, {".", std::nullopt},
        {"1e", std::nullopt}, {"0x1F", true}, {"0x0", false}, {"-inf", true}, {"1e-400", false}, {"1e-300", true},
        {"0.000001", true}, {"1 2", std::nullopt}, {"1.2.3", std::nullopt},
    };
    for (const auto& [text, value] : flags) EXPECT_EQ(ParseBool(text), value) << '"' << text << '"';
}

TEST_F(SettingsTest, AValueThatDoesNotConvertIsNamedWithItsText) {
    struct Row {
        const char* key;
        const char* text;
    };
    for (const auto& row : {Row{"Hotkey", "F11"}, Row{"HotKeyShift", ""}, Row{"SaveNext", "maybe"}}) {
        desk.store.clear();
        Store(row.key, row.text);
        try {
            LoadSettings(desk);
            ADD_FAILURE() << row.key << " should not load";
        } catch (const Error& e) {
            const std::string what = e.what();
            EXPECT_NE(what.find('"' + std::string(row.key) + '"'), std::string::npos) << what;
            EXPECT_NE(what.find('"' + std::string(row.text) + '"'), std::string::npos) << what;
        }
    }
}

TEST_F(SettingsTest, PolicyValuesOverrideTheStoreAndAreNeverSaved) {
    Store("AppName", "Mine");
    Store("Field", "Mine");
    Store("Hotkey", "116");
    desk.policy = {{"AppName", "Claims"}, {"Hotkey", "122"}, {"HotKeyShift", "3"}};
    auto s = LoadSettings(desk, &desk);
    EXPECT_EQ(s.documentType, "Claims");
    EXPECT_EQ(s.searchField, "Mine") << "what policy leaves alone is the user's";
    EXPECT_EQ(s.hotKey, 122);
    EXPECT_EQ(s.hotKeyShift, 3);
    EXPECT_EQ(s.fromPolicy, (std::set<std::string>{"AppName", "Hotkey", "HotKeyShift"}));
    s.documentType = "Changed";
    s.searchField = "Account";
    desk.log.clear();
    SaveSettings(desk, s);
    EXPECT_EQ(desk.log, (Log{"save:SourceWindow=", "save:Field=Account", "save:SaveNext=False", "save:ValuePattern=",
                             "save:Column="}));
    EXPECT_EQ(Stored("AppName"), "Mine") << "a policy value is never copied into the user's own";
}

TEST_F(SettingsTest, ABadPolicyValueIsNamedAsPolicyAndTheRestStillReads) {
    struct Row {
        std::map<std::string, std::string> policy;
        std::string failAt;
        const char* problem;
    };
    const Row rows[] = {
        {{{"Hotkey", "F11"}, {"AppName", "Claims"}}, "",
         "the policy setting \"Hotkey\" holds \"F11\", which is not a whole number from -32768 to 32767"},
        {{{"SaveNext", "perhaps"}, {"AppName", "Claims"}}, "", "the policy setting \"SaveNext\" holds \"perhaps\", which is not True, False or a number"},
        {{{"AppName", "Claims"}}, "Field", "the policy cannot be read"},
    };
    for (const auto& row : rows) {
        desk.policy = row.policy;
        desk.failPolicyAt = row.failAt;
        std::string problem;
        const auto s = LoadSettings(desk, &desk, &problem);
        EXPECT_EQ(problem, row.problem);
        EXPECT_EQ(s.documentType, "Claims") << row.problem;
    }
}

TEST_F(SettingsTest, StoreFailuresGoToTheCaller) {
    desk.failReadAt = "AppName";
    EXPECT_THROW(LoadSettings(desk), Error);
    desk.failSaveAt = "Hotkey";
    EXPECT_THROW(SaveSettings(desk, {"", "Claims", "Account", 122, 0, false}), Error);
    EXPECT_EQ(Stored("AppName"), "Claims") << "keys before the failing one were written";
    EXPECT_EQ(Stored("HotKeyShift"), "<absent>") << "keys after it were not";
}

}  // namespace
}  // namespace kestrel
