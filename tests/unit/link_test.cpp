#include <gtest/gtest.h>

#include "fake/fake_fixture.h"
#include "capture/text_capture.h"
#include "link/app_link.h"

namespace kestrel {
namespace {

using Log = std::vector<std::string>;
const std::string kQuotedRunner = "\"C:\\program files\\tamarind\\scripts\\halyard.exe\"";
const std::string kScript = "C:\\program files\\tamarind\\scripts\\halyard.sc";

// A link on a desktop of its own, with the runner's folder and its window.
struct LinkOn {
    explicit LinkOn(fake::FakeDesktop& desk) : desk(desk) {
        desk.folders.push_back("C:\\Program Files\\Tamarind\\Scripts");
        desk.AddWindow("Document Center");
    }
    fake::FakeDesktop& desk;
    Settings settings{{Source{1, "", "Claims", "Account"}}};
    TextCapture capture{{desk, desk, desk, desk, desk, desk, desk, desk}};
    AppLink link{settings, capture, {desk, desk, desk, desk, desk}};
};

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

class RunnerTest : public fake::FakeTest {
protected:
    void Value(const std::string& value) { link.SetField({settings.sources[0].searchField, value}); }
    LinkOn on{desk};
    Settings& settings = on.settings;
    AppLink& link = on.link;
    std::string Script() {
        const auto* file = desk.File(kScript);
        return file ? file->content : "<none>";
    }
};

TEST_F(RunnerTest, SearchStartsTheRunnerMinimisedThenActivatesDocumentCenter) {
    Value("12345");
    link.RunSearch();
    ASSERT_EQ(desk.started.size(), 1u);
    EXPECT_EQ(desk.started[0].commandLine, kQuotedRunner + " Index=Claims;Criteria=Account='12345'");
    EXPECT_EQ(desk.started[0].application, "C:\\program files\\tamarind\\scripts\\halyard.exe");
    EXPECT_EQ(desk.started[0].show, platform::ShowAs::MinimizedActive);
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
        settings.sources[0].documentType = row.documentType;
        settings.sources[0].searchField = row.field;
        Value(row.value);
        link.RunSearch();
        ASSERT_EQ(desk.started.size(), 1u) << row.value;
        EXPECT_EQ(desk.started[0].commandLine, kQuotedRunner + row.arguments);
    }
}

TEST_F(RunnerTest, NoValueMeansOneMessageAndNoRunner) {
    link.RunSearch();  // no field at all
    link.RunIndex();
    Value("");
    link.RunSearch();  // an empty value
    ASSERT_EQ(desk.messages.size(), 3u);
    for (const auto& m : desk.messages) {
        EXPECT_EQ(m.text, "Error grabbing data from source window.");
        EXPECT_EQ(m.modality, platform::Modality::System);
    }
    EXPECT_TRUE(desk.started.empty());
    EXPECT_TRUE(desk.files.empty());
}

TEST_F(RunnerTest, ARunnerThatCannotStartIsSaidWithItsPathAndTheNextPressWorks) {
    const std::string cannot = "error: the script runner C:\\program files\\tamarind\\scripts\\halyard.exe could not be started: ";
    struct Row {
        const char* what;
        std::string value;
        bool startFails;
        std::string message;  // empty: started
    };
    const Row rows[] = {
        {"missing", "12345", true, cannot + "the system cannot find the file specified"},
        // The command line around the value takes 80 characters.
        {"a selection too long for a command line", std::string(32687, 'x'), false,
         cannot + "the command line is 32767 characters long, over the system's limit of 32766"},
        {"as long as the system allows", std::string(32686, 'x'), false, ""},
        {"a character counts once, whatever its bytes", std::string(12000, 'x') + Repeat("\xC3\xA9", 10000), false, ""},
        {"the next press", "12345", false, ""},
    };
    for (const auto& row : rows) {
        desk.messages.clear();
        desk.started.clear();
        desk.log.clear();
        desk.startFails = row.startFails;
        Value(row.value);
        EXPECT_NO_THROW(link.RunSearch()) << row.what;
        if (row.message.empty()) {
            EXPECT_EQ(desk.started.size(), 1u) << row.what;
            EXPECT_TRUE(desk.messages.empty()) << row.what;
        } else {
            EXPECT_TRUE(desk.started.empty()) << row.what;
            ASSERT_EQ(desk.messages.size(), 1u) << row.what;
            EXPECT_EQ(desk.messages[0].text, row.message) << row.what;
            EXPECT_EQ(desk.messages[0].modality, platform::Modality::System);
            EXPECT_NE(desk.log.back(), "activate:Document Center") << "no activation after a failed start";
        }
    }
}

TEST_F(RunnerTest, AMissingDocumentCenterIsNoError) {
    Value("12345");
    desk.windows.clear();
    link.RunSearch();
    EXPECT_EQ(desk.started.size(), 1u);
    EXPECT_TRUE(desk.messages.empty()) << "the runner shows its window itself when it is ready";
}

TEST_F(RunnerTest, IndexWritesTheScriptThenStartsTheRunnerOnIt) {
    Value("12345");
    settings.saveNext = false;
    link.RunIndex();
    EXPECT_EQ(Script(),
              "Sub main()\r\nIndex.Field(\"Account\") = Clipboard\r\ndoevents\r\nIndex.setfocuson 1\r\nEnd Sub\r\n\r\n\r\n");
    ASSERT_EQ(desk.started.size(), 1u);
    EXPECT_EQ(desk.started[0].commandLine, kQuotedRunner + " " + kScript);
    EXPECT_EQ(desk.started[0].show, platform::ShowAs::MinimizedActive);
    EXPECT_EQ(desk.log.back(), "activate:Document Center");
    EXPECT_EQ(desk.openFiles, 0);
}

TEST_F(RunnerTest, SaveNextAddsSaveAndNextDocumentAndAnOldScriptIsReplacedHiddenOrNot) {
    for (bool hidden : {false, true}) {
        auto& old = desk.files["c:\\program files\\tamarind\\scripts\\halyard.sc"];
        old.content = "old script\r\n";
        old.hidden = hidden;
        Value("ignored: the script takes the clipboard");
        settings.saveNext = true;
        link.RunIndex();
        EXPECT_EQ(Script(),
                  "Sub main()\r\nIndex.Field(\"Account\") = Clipboard\r\ndoevents\r\nIndex.Save\r\nIndex.nextdocument\r\n"
                  "Index.setfocuson 1\r\nEnd Sub\r\n\r\n\r\n")
            << (hidden ? "hidden: replaced, never appended to" : "replaced");
    }
}

TEST_F(RunnerTest, TheFieldsNameIsAStringOfTheScriptWhateverItHolds) {
    const std::pair<std::string, std::string> rows[] = {
        {"Account", "Index.Field(\"Account\") = Clipboard"},
        {"Policy \"No\"", "Index.Field(\"Policy \"\"No\"\"\") = Clipboard"},
        {"\") : Kill \"C:\\x", "Index.Field(\"\"\") : Kill \"\"C:\\x\") = Clipboard"},
    };
    for (const auto& [field, line] : rows) {
        link.SetField({field, "12345"});
        link.RunIndex();
        EXPECT_NE(Script().find("\r\n" + line + "\r\n"), std::string::npos) << field << "\n" << Script();
    }
}

TEST_F(RunnerTest, AnIndexScriptThatCannotBeWrittenIsSaidAndNothingStarts) {
    struct Row {
        const char* what;
        std::function<void(fake::FakeDesktop&)> breakIt;
        std::string field = "Account";
    };
    const Row rows[] = {
        {"the old script is read-only",
         [](fake::FakeDesktop& d) {
             auto& old = d.files["c:\\program files\\tamarind\\scripts\\halyard.sc"];
             old.content = "old\r\n";
             old.readOnly = true;
         }},
        {"the scripts folder is missing", [](fake::FakeDesktop& d) { d.folders.clear(); }},
        {"the first line cannot be written", [](fake::FakeDesktop& d) { d.failWriteAtLine = 1; }},
        {"the field's line cannot be written", [](fake::FakeDesktop& d) { d.failWriteAtLine = 2; }},
        {"the last line cannot be written", [](fake::FakeDesktop& d) { d.failWriteAtLine = 7; }},
        {"a field name with a line break would add statements", [](fake::FakeDesktop&) {}, "Account\r\nShell \"x\""},
    };
    for (const auto& row : rows) {
        fake::FakeDesktop desk2;
        LinkOn other(desk2);
        other.link.SetField({row.field, "12345"});
        row.breakIt(desk2);
        EXPECT_NO_THROW(other.link.RunIndex()) << row.what;
        EXPECT_TRUE(desk2.started.empty()) << row.what;
        ASSERT_EQ(desk2.messages.size(), 1u) << row.what;
        EXPECT_EQ(desk2.messages[0].text.rfind(
                      "error: the index script C:\\program files\\tamarind\\scripts\\halyard.sc could not be written: ", 0),
                  0u)
            << desk2.messages[0].text;
        EXPECT_EQ(desk2.openFiles, 0) << row.what << ": the script is not left open";
    }
}

}  // namespace
}  // namespace kestrel

namespace kestrel {
namespace {

// A press with several sources: the source chosen by its window, its
// document type and search field searched, its pattern and its list column
// applied to what was taken; what was taken is never repeated in a message.
TEST(SourcesTest, APressServesTheSourceOfItsWindowWithThatSourcesPatternAndColumn) {
    struct Row {
        const char* what;
        std::string frontTitle;  // the window in front; the other source's window is behind it
        std::string pattern2, column2;  // source 2's
        std::string expected;           // the runner's arguments, or the beginning of the message
    };
    const Row rows[] = {
        {"source 1 in front", "Invoice 4711 - ACME ERP", "", "", " Index=Invoices;Criteria=InvoiceNo='Invoice No.: 4711   Date: 01.12.2026'"},
        {"source 2 in front, its pattern's group", "Customers - CRM", "No\\.:\\s*(\\d+)", "", " Index=Customers;Criteria=CustomerNo='4711'"},
        {"a pattern without a group: the whole match", "Customers - CRM", "[A-Z]+-\\d{4}", "Customer",
         " Index=Customers;Criteria=CustomerNo='ACME-0042'"},
        {"a named column, case-blind", "Customers - CRM", "", "city", " Index=Customers;Criteria=CustomerNo='Leeds'"},
        {"a pattern that matches nothing", "Customers - CRM", "\\d{9}", "",
         "error: what was taken from the source window holds nothing that the value pattern of source 2 matches."},
        {"a pattern that matches only the empty text", "Customers - CRM", "\\d*", "",
         "error: what was taken from the source window holds nothing that the value pattern of source 2 matches."},
        {"a pattern that is no regular expression", "Customers - CRM", "(\\d+", "",
         "error: the value pattern of source 2 is no regular expression: "},
        {"a column no header has", "Customers - CRM", "", "Postcode",
         "error: the list in the source window has no column \"Postcode\""},
        {"neither source's window", "Mail", "", "", "error activating: no window of 'Invoice *' or '* - CRM' was found."},
    };
    for (const auto& row : rows) {
        fake::FakeDesktop desk;
        LinkOn on(desk);
        on.settings = Settings{{Source{1, "Invoice *", "Invoices", "InvoiceNo"}}};
        on.settings.sources.push_back(Source{2, "* - CRM", "Customers", "CustomerNo", row.pattern2, row.column2});
        desk.windows.clear();
        auto& front = desk.AddWindow(row.frontTitle.empty() ? "Mail" : row.frontTitle);
        front.selection = "Invoice No.: 4711   Date: 01.12.2026";
        if (row.frontTitle == "Customers - CRM") {
            front.list = fake::FakeWindow::List{platform::ListText::Control::ListView,
                                                {{"Customer No.: 4711   Date: 01.12.2026 ACME-0042 (active)", "Leeds"}},
                                                {"Customer", "City"}, {0}, 0, false};
        }
        desk.foreground = front.id;
        if (row.frontTitle != "Invoice 4711 - ACME ERP" && row.frontTitle != "Mail") desk.AddWindow("Invoice 1 - ACME ERP");
        if (row.frontTitle == "Mail") {
            desk.AddWindow("Stock");
        }
        desk.AddWindow("Document Center");
        on.link.SetField({"InvoiceNo", {}});
        on.link.Grab();
        on.link.Run();
        if (row.expected.rfind(" Index=", 0) == 0) {
            ASSERT_EQ(desk.started.size(), 1u) << row.what;
            EXPECT_EQ(desk.started[0].commandLine, kQuotedRunner + row.expected) << row.what;
        } else {
            EXPECT_TRUE(desk.started.empty()) << row.what;
            ASSERT_FALSE(desk.messages.empty()) << row.what;
            EXPECT_EQ(desk.messages[0].text.rfind(row.expected, 0), 0u) << row.what << ": " << desk.messages[0].text;
            EXPECT_EQ(desk.messages[0].text.find("4711"), std::string::npos) << row.what << ": customer data";
        }
    }
}

}  // namespace
}  // namespace kestrel
