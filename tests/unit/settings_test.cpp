#include <gtest/gtest.h>

#include "fake/fake_fixture.h"
#include "platform/error.h"
#include "settings/settings.h"
#include "settings/source_check.h"
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
    EXPECT_TRUE(s.Searchable().empty());
    EXPECT_EQ(s.sources.size(), 1u) << "an absent section is no source";
}

TEST_F(SettingsTest, LoadsEveryKey) {
    Store("SourceWindow", "Orders - Grüße");
    Store("Field", "Account");
    Store("AppName", "Claims");
    Store("Hotkey", "116");
    Store("HotKeyShift", "3");
    Store("SaveNext", "true");
    const auto s = LoadSettings(desk);
    EXPECT_EQ(s.sources[0].window, "Orders - Grüße");
    EXPECT_EQ(s.sources[0].searchField, "Account");
    EXPECT_EQ(s.sources[0].documentType, "Claims");
    EXPECT_EQ(s.hotKey, 116);
    EXPECT_EQ(s.hotKeyShift, 3);
    EXPECT_TRUE(s.saveNext);
    EXPECT_TRUE(s.Complete());
}

TEST_F(SettingsTest, SavesEveryKeyInOrder) {
    SaveSettings(desk, {{Source{1, "", "Claims", "Policy No"}}, 123, 3, true});
    EXPECT_EQ(desk.log, (Log{"save:SourceWindow=", "save:Field=Policy No", "save:AppName=Claims", "save:Hotkey=123",
                             "save:HotKeyShift=3", "save:SaveNext=True", "save:ValuePattern=", "save:Column=",
                             "save:ValueFrom="}));
}

TEST_F(SettingsTest, ASaveReadsBackUnchanged) {
    const Settings saved{{Source{1, "  padded  ", "Claims; 'quoted'", ""}}, -5, -1, false};
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
    Store("ControlClasses", "TMine=edit");
    desk.policy = {{"AppName", "Claims"}, {"Hotkey", "122"}, {"HotKeyShift", "3"}, {"ControlClasses", "TAdvListView=list view"}};
    auto s = LoadSettings(desk, &desk);
    EXPECT_EQ(s.controlClasses, "TAdvListView=list view");
    EXPECT_EQ(s.sources[0].documentType, "Claims");
    EXPECT_EQ(s.sources[0].searchField, "Mine") << "what policy leaves alone is the user's";
    EXPECT_EQ(s.hotKey, 122);
    EXPECT_EQ(s.hotKeyShift, 3);
    EXPECT_EQ(s.fromPolicy, (std::set<std::string>{"Hotkey", "HotKeyShift"}));
    EXPECT_EQ(s.sources[0].fromPolicy, (std::set<std::string>{"AppName"}));
    s.sources[0].documentType = "Changed";
    s.sources[0].searchField = "Account";
    desk.log.clear();
    SaveSettings(desk, s);
    EXPECT_EQ(desk.log, (Log{"save:SourceWindow=", "save:Field=Account", "save:SaveNext=False", "save:ValuePattern=",
                             "save:Column=", "save:ValueFrom="}));
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
        EXPECT_EQ(s.sources[0].documentType, "Claims") << row.problem;
    }
}

TEST_F(SettingsTest, StoreFailuresGoToTheCaller) {
    desk.failReadAt = "AppName";
    EXPECT_THROW(LoadSettings(desk), Error);
    desk.failSaveAt = "Hotkey";
    EXPECT_THROW(SaveSettings(desk, {{Source{1, "", "Claims", "Account"}}, 122, 0, false}), Error);
    EXPECT_EQ(Stored("AppName"), "Claims") << "keys before the failing one were written";
    EXPECT_EQ(Stored("HotKeyShift"), "<absent>") << "keys after it were not";
}

}  // namespace
}  // namespace kestrel

namespace kestrel {
namespace {

// What the store and policy hold, by "Section\\Key" (policy: "Key" for the
// program's own key, "Source2\\Key" for a subkey), and the sources they make.
TEST_F(SettingsTest, SourcesLoadFromTheirSectionsValueByValue) {
    using Values = std::map<std::string, std::string>;
    struct Row {
        const char* what;
        Values store, policy;
        std::vector<std::string> sources;  // number:window|type|field|pattern|column[ from ValueFrom]|policy names
        std::vector<std::string> skipped;
    };
    const Row rows[] = {
        {"source 1 alone, as today's store has it",
         {{"Settings\\SourceWindow", "Orders"}, {"Settings\\AppName", "Claims"}, {"Settings\\Field", "Account"}},
         {},
         {"1:Orders|Claims|Account|||"},
         {}},
        {"source 1's optional values and a second source",
         {{"Settings\\AppName", "Claims"}, {"Settings\\Field", "Account"}, {"Settings\\ValuePattern", "\\d+"},
          {"Settings\\Column", "No."}, {"Source2\\SourceWindow", "CRM*"}, {"Source2\\AppName", "Letters"},
          {"Source2\\Field", "Customer"}, {"Source2\\Column", "Id"}, {"Settings\\ValueFrom", "title"},
          {"Source2\\ValueFrom", "control #1001"}},
         {},
         {"1:|Claims|Account|\\d+|No. from title|", "2:CRM*|Letters|Customer||Id from control #1001|"},
         {}},
        {"sections without a document type or search field are skipped and said",
         {{"Source3\\SourceWindow", "Mail"}, {"Source3\\Field", "From"}, {"Source5\\AppName", "Claims"},
          {"Source9\\Column", "X"}, {"Source4\\AppName", "Letters"}, {"Source4\\Field", "Customer"}},
         {},
         {"4:|Letters|Customer|||"},
         {"Source3 skipped: no document type", "Source5 skipped: no search field",
          "Source9 skipped: no document type and no search field"}},
        {"policy per value: a section's policy beats its store; source 1's under the key itself",
         {{"Settings\\AppName", "Mine"}, {"Settings\\Field", "Mine"}, {"Source2\\AppName", "Mine"},
          {"Source2\\Field", "Mine"}, {"Source2\\SourceWindow", "Mine"}, {"Source2\\ValueFrom", "title"}},
         {{"ValuePattern", "[0-9]+"}, {"Source2\\AppName", "Claims"}, {"Source2\\Column", "No."},
          {"Source2\\ValueFrom", "control edit 2"}},
         {"1:|Mine|Mine|[0-9]+||ValuePattern", "2:Mine|Claims|Mine||No. from control edit 2|AppName Column ValueFrom"},
         {}},
        {"policy alone makes a source; a section's policy stays in its section",
         {},
         {{"Source7\\AppName", "Claims"}, {"Source7\\Field", "PolicyNo"}, {"Source8\\SourceWindow", "Orders"}},
         {"7:|Claims|PolicyNo|||AppName Field"},
         {"Source8 skipped: no document type and no search field"}},
    };
    for (const auto& row : rows) {
        desk.store.clear();
        for (const auto& [key, value] : row.store) desk.store["Kestrel\\" + key] = value;
        desk.policy = row.policy;
        const auto s = LoadSettings(desk, &desk);
        std::vector<std::string> sources;
        for (const auto& source : s.Searchable()) {
            std::string names;
            for (const auto& name : source.fromPolicy) names += (names.empty() ? "" : " ") + name;
            sources.push_back(std::to_string(source.number) + ":" + source.window + "|" + source.documentType + "|" +
                              source.searchField + "|" + source.valuePattern + "|" + source.column +
                              (source.valueFrom.empty() ? "" : " from " + source.valueFrom) + "|" + names);
        }
        EXPECT_EQ(sources, row.sources) << row.what;
        std::vector<std::string> skipped;
        for (const auto& source : s.Skipped())
            skipped.push_back(SourceSection(source.number) + " skipped: " + source.Missing());
        EXPECT_EQ(skipped, row.skipped) << row.what;
        EXPECT_EQ(s.Complete(), !row.sources.empty()) << row.what;
    }
}

TEST_F(SettingsTest, SavingSourcesWritesTheirSectionsAndRemovesOnlyTheRemoved) {
    Store("AppName", "Claims");
    Store("Field", "Account");
    desk.store["Kestrel\\Source2\\AppName"] = "Letters";
    desk.store["Kestrel\\Source2\\Field"] = "Customer";
    desk.store["Kestrel\\Source3\\AppName"] = "Mail";  // skipped: no search field
    desk.store["Kestrel\\Source4\\AppName"] = "Orders";
    desk.store["Kestrel\\Source4\\Field"] = "Order";
    desk.policy = {{"Source4\\Field", "OrderNo"}};
    auto s = LoadSettings(desk, &desk);
    ASSERT_EQ(s.Searchable().size(), 3u);
    EXPECT_EQ(s.FreeSourceNumber(), 5) << "a skipped section's number is not given away";
    s.sources.erase(s.sources.begin() + 1);
    s.removedSources = {2};
    ASSERT_EQ(s.sources[2].number, 4);
    s.sources[2].window = "Orders*";
    s.sources[2].searchField = "Mine";  // policy's: never saved
    desk.log.clear();
    SaveSettings(desk, s);
    const Log tail(desk.log.end() - 6, desk.log.end());
    EXPECT_EQ(tail, (Log{"save:Source4\\SourceWindow=Orders*", "save:Source4\\AppName=Orders",
                         "save:Source4\\ValuePattern=", "save:Source4\\Column=", "save:Source4\\ValueFrom=",
                         "remove:Source2"}));
    EXPECT_FALSE(desk.store.count("Kestrel\\Source2\\AppName"));
    EXPECT_EQ(desk.store.at("Kestrel\\Source3\\AppName"), "Mail") << "a section the user did not remove stays";
    EXPECT_EQ(desk.store.at("Kestrel\\Source4\\Field"), "Order");
    const auto back = LoadSettings(desk, &desk);
    const auto searchable = back.Searchable();
    ASSERT_EQ(searchable.size(), 2u);
    EXPECT_EQ(searchable[1].number, 4);
    EXPECT_EQ(searchable[1].window, "Orders*");
    EXPECT_EQ(searchable[1].searchField, "OrderNo") << "policy's still, not the edit";

    // A write that fails removes nothing: the removed source is still there to try again.
    desk.store["Kestrel\\Source2\\AppName"] = "Letters";
    desk.failSaveAt = "Column";
    EXPECT_THROW(SaveSettings(desk, s), Error);
    EXPECT_EQ(desk.store.at("Kestrel\\Source2\\AppName"), "Letters");
}

}  // namespace
}  // namespace kestrel

namespace kestrel {
namespace {

// What a search's command line and the index script cannot carry is refused;
// what stored configurations hold today (blanks, other punctuation, any
// letter) is not.
TEST(SourceCheck, ATypeOrFieldThatWouldBreakTheSearchIsRefusedNamingTheCharacter) {
    const std::pair<std::string, std::string> rows[] = {
        {"Policy No", ""},
        {"Kunden-Nr. (alt) #1 / Straße 東京 \\ , & *", ""},
        {std::string(255, 'x'), ""},
        {"Acc'No", "The search field holds ''', which a search cannot carry."},
        {"A;B", "The search field holds ';', which a search cannot carry."},
        {"A=B", "The search field holds '=', which a search cannot carry."},
        {"\"A\"", "The search field holds '\"', which a search cannot carry."},
        {"A\r\nB", "The search field holds a line break, which a search cannot carry."},
        {"A\tB", "The search field holds a tab, which a search cannot carry."},
        {std::string("A\x1f", 2), "The search field holds a control character (U+001F), which a search cannot carry."},
        {"A\xc2\x85", "The search field holds a control character (U+0085), which a search cannot carry."},
        {std::string(256, 'x'), "The search field is 256 characters long, over the 255 a search takes."},
        {std::string(255, 'x') + "ß", "The search field is 256 characters long, over the 255 a search takes."},
    };
    for (const auto& [field, problem] : rows) {
        EXPECT_EQ(SourceProblem(Source{2, "", "Claims", field}), problem) << field;
        auto asType = problem;
        if (const auto at = asType.find("search field"); at != std::string::npos) asType.replace(at, 12, "document type");
        EXPECT_EQ(SourceProblem(Source{2, "", field, "Account"}), asType) << field;
    }
    EXPECT_EQ(SourceProblem(Source{1, "", "Claims", ""}), "Please enter a field to search.");
    EXPECT_EQ(SourceProblem(Source{1, "", "", "Account"}), "Please enter a Document Type.");
    EXPECT_EQ(SourceProblem(Source{1, "", "Claims", "Account", "(\\d+"}).rfind("The value pattern does not read: ", 0),
              0u);
}

}  // namespace
}  // namespace kestrel
