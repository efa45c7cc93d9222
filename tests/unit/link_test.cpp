#include <gtest/gtest.h>

#include "fake/fake_fixture.h"
#include "link/clsAppLink.h"

namespace kestrel {
namespace {

using Log = std::vector<std::string>;
const std::string kQuotedRunner = "\"C:\\program files\\tamarind\\scripts\\halyard.exe\"";
const std::string kScript = "C:\\program files\\tamarind\\scripts\\halyard.sc";

class ControllerTest : public fake::FakeTest {};

TEST_F(ControllerTest, SettingsAndFieldsAreCreatedOnFirstUseAndReplaceable) {
    auto& link = AppLink();
    EXPECT_EQ(&link, &AppLink()) << "one program-wide controller";
    const auto settings = link.oSettings();
    EXPECT_EQ(settings, link.oSettings());
    EXPECT_EQ(settings->SourceAppTitle(), "");
    EXPECT_EQ(settings->HotKey(), 0);
    EXPECT_EQ(settings->HotKeyShift(), 0);
    EXPECT_FALSE(settings->savenext());
    EXPECT_TRUE(desk.log.empty()) << "nothing is read from the store before GetSettings";
    auto other = std::make_shared<clsSettings>();
    link.oSettings(other);
    EXPECT_EQ(link.oSettings(), other);

    const auto fields = link.colFields();
    EXPECT_EQ(fields, link.colFields());
    EXPECT_EQ(fields->Count(), 0);
    auto replacement = std::make_shared<colFields>();
    link.colFields(replacement);
    EXPECT_EQ(link.colFields(), replacement);
    EXPECT_EQ(link.ProcedureType(), 0);
}

TEST_F(ControllerTest, ProcedureTypeHoldsSixteenBits) {
    auto& link = AppLink();
    const std::pair<std::int32_t, bool> rows[] = {
        {-1, true}, {2, true}, {32767, true}, {-32768, true}, {40000, false}, {-32769, false}, {INT32_MAX, false},
    };
    for (const auto& [value, fits] : rows) {
        link.ProcedureType(7);
        if (fits) {
            link.ProcedureType(value);
            EXPECT_EQ(link.ProcedureType(), value);
        } else {
            EXPECT_THROW(link.ProcedureType(value), Error) << value;
            EXPECT_EQ(link.ProcedureType(), 7) << "unchanged after " << value;
        }
    }
}

class RunnerTest : public fake::FakeTest {
protected:
    RunnerTest() {
        AppLink().oSettings()->AppName("Claims");
        AppLink().oSettings()->Field("Account");
        desk.folders.push_back("C:\\Program Files\\Tamarind\\Scripts");
        desk.AddWindow("Document Center");
    }
    void Value(const std::string& value) {
        if (AppLink().colFields()->Count() == 0) AppLink().colFields()->Add(AppLink().oSettings()->Field(), "");
        AppLink().colFields()->Item(1)->value(value);
    }
    std::string Script() {
        const auto* file = desk.File(kScript);
        return file ? file->content : "<none>";
    }
};

TEST_F(RunnerTest, SearchStartsTheRunnerMinimisedThenActivatesDocumentCenter) {
    Value("12345");
    AppLink().RunSearch();
    ASSERT_EQ(desk.started.size(), 1u);
    EXPECT_EQ(desk.started[0].commandLine, kQuotedRunner + " Index=Claims;Criteria=Account='12345'");
    EXPECT_EQ(desk.started[0].application, "C:\\program files\\tamarind\\scripts\\halyard.exe");
    EXPECT_EQ(desk.started[0].windowStyle, 2);
    EXPECT_EQ(desk.log.back(), "activate:Document Center");
    EXPECT_TRUE(desk.messages.empty());
}

TEST_F(RunnerTest, TheSearchCommandLineCarriesTheTextsUnchanged) {
    struct Row {
        const char* documentType;
        const char* field;
        const char* value;
        const char* arguments;
    };
    const Row rows[] = {
        {"Claims", "Account", "O'Brien; Ltd", " Index=Claims;Criteria=Account='O'Brien; Ltd'"},
        {"", "Account", "1", " Index=;Criteria=Account='1'"},
        {"Claims", "", "1", " Index=Claims;Criteria=='1'"},
        {"Claims", "Account", "say \"hi\" & 100% C:\\dir\\", " Index=Claims;Criteria=Account='say \"hi\" & 100% C:\\dir\\'"},
        {"Akten", "Kunde", "Grüße 東京", " Index=Akten;Criteria=Kunde='Grüße 東京'"},
        {"Claims", "Account", "  padded  ", " Index=Claims;Criteria=Account='  padded  '"},
    };
    for (const auto& row : rows) {
        desk.started.clear();
        AppLink().oSettings()->AppName(row.documentType);
        AppLink().oSettings()->Field(row.field);
        Value(row.value);
        AppLink().RunSearch();
        ASSERT_EQ(desk.started.size(), 1u) << row.value;
        EXPECT_EQ(desk.started[0].commandLine, kQuotedRunner + row.arguments);
    }
}

TEST_F(RunnerTest, NoValueMeansOneMessageAndNoRunner) {
    AppLink().RunSearch();  // no collection at all
    AppLink().colFields();
    AppLink().RunIndex();   // an empty collection
    Value("");
    AppLink().RunSearch();  // an empty value
    ASSERT_EQ(desk.messages.size(), 3u);
    for (const auto& m : desk.messages) {
        EXPECT_EQ(m.text, "Error grabbing data from source window.");
        EXPECT_EQ(m.style, 0x1000);
    }
    EXPECT_TRUE(desk.started.empty());
    EXPECT_TRUE(desk.files.empty());
}

TEST_F(RunnerTest, FailuresOfTheRunnerAreSilent) {
    Value("12345");
    desk.startFails = true;
    EXPECT_NO_THROW(AppLink().RunSearch());
    EXPECT_NE(desk.log.back(), "activate:Document Center") << "no activation after a failed start";
    desk.startFails = false;
    desk.windows.clear();  // no Document Center
    EXPECT_NO_THROW(AppLink().RunSearch());
    EXPECT_EQ(desk.started.size(), 1u);
    EXPECT_TRUE(desk.messages.empty());
}

TEST_F(RunnerTest, IndexWritesTheScriptThenStartsTheRunnerOnIt) {
    Value("12345");
    AppLink().oSettings()->savenext(false);
    AppLink().RunIndex();
    EXPECT_EQ(Script(),
              "Sub main()\r\nIndex.Field(\"Account\") = Clipboard\r\ndoevents\r\nIndex.setfocuson 1\r\nEnd Sub\r\n\r\n\r\n");
    ASSERT_EQ(desk.started.size(), 1u);
    EXPECT_EQ(desk.started[0].commandLine, kQuotedRunner + " " + kScript);
    EXPECT_EQ(desk.started[0].windowStyle, 2);
    EXPECT_EQ(desk.log.back(), "activate:Document Center");
    EXPECT_EQ(desk.openFiles, 0);
}

TEST_F(RunnerTest, SaveNextAddsSaveAndNextDocumentAndAnOldScriptIsReplaced) {
    desk.files["c:\\program files\\tamarind\\scripts\\halyard.sc"].content = "old script\r\n";
    Value("ignored: the script takes the clipboard");
    AppLink().oSettings()->savenext(true);
    AppLink().RunIndex();
    EXPECT_EQ(Script(),
              "Sub main()\r\nIndex.Field(\"Account\") = Clipboard\r\ndoevents\r\nIndex.Save\r\nIndex.nextdocument\r\n"
              "Index.setfocuson 1\r\nEnd Sub\r\n\r\n\r\n");
    EXPECT_EQ(std::count(desk.log.begin(), desk.log.end(), "delete:" + kScript), 1);
}

TEST_F(RunnerTest, AnIndexStepThatFailsEndsTheRunSilently) {
    struct Row {
        const char* what;
        std::function<void(fake::FakeDesktop&)> breakIt;
    };
    const Row rows[] = {
        {"the old script cannot be deleted",
         [](fake::FakeDesktop& d) {
             d.files["c:\\program files\\tamarind\\scripts\\halyard.sc"].content = "old\r\n";
             d.failDeleteOf = kScript;
         }},
        {"the scripts folder is missing", [](fake::FakeDesktop& d) { d.folders.clear(); }},
        {"the first line cannot be written", [](fake::FakeDesktop& d) { d.failWriteAtLine = 1; }},
        {"the field's line cannot be written", [](fake::FakeDesktop& d) { d.failWriteAtLine = 2; }},
        {"the last line cannot be written", [](fake::FakeDesktop& d) { d.failWriteAtLine = 7; }},
    };
    Value("12345");
    for (const auto& row : rows) {
        fake::FakeDesktop desk2;
        platform::ScopedServices scope(desk2.Services());
        desk2.folders.push_back("C:\\Program Files\\Tamarind\\Scripts");
        desk2.AddWindow("Document Center");
        row.breakIt(desk2);
        EXPECT_NO_THROW(AppLink().RunIndex()) << row.what;
        EXPECT_TRUE(desk2.started.empty()) << row.what;
        EXPECT_TRUE(desk2.messages.empty()) << row.what;
        EXPECT_EQ(desk2.openFiles, 0) << row.what << ": the script is not left open";
    }
}

}  // namespace
}  // namespace kestrel
