// What the help desk reads: a line for the start, one per press naming the
// window, the route and the outcome (never the value), every message box, an
// Exit; and a log that cannot be written never stops the program.
#include <gtest/gtest.h>

#include "app/application.h"
#include "fake/fake_fixture.h"

namespace kestrel {
namespace {

using fake::FocusedControl;

class EventLogTest : public fake::FakeTest {
protected:
    void SetUp() override {
        Store("SourceWindow", "Orders*");
        Store("AppName", "Claims");
        Store("Field", "Account");
        Store("Hotkey", "122");
        Store("HotKeyShift", "3");
    }
    void Start() {
        app.Start();
        main = app.mainWindow().form().Handle();
    }
    void Press() { ASSERT_TRUE(desk.PressHotKey(main)); }
    // The lines written since the last call.
    std::vector<std::string> Lines() {
        auto lines = desk.logLines;
        desk.logLines.clear();
        return lines;
    }
    static bool Has(const std::string& line, const std::string& part) { return line.find(part) != std::string::npos; }

    Application app{services};
    platform::WindowId main = 0;
};

TEST_F(EventLogTest, TheStartSaysTheVersionWhereEachSettingCameFromAndTheHotKey) {
    desk.policy["AppName"] = "Invoices";
    desk.policy["Field"] = "CustomerNo";
    desk.userPolicy = {"Field"};
    desk.store["Kestrel\\Source3\\AppName"] = "Letters";  // no search field: no source
    Start();
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "start: Kestrel 1.0.14 (" + std::to_string(sizeof(void*) * 8) + "-bit)");
    EXPECT_TRUE(Has(lines[1], "SourceWindow from store")) << lines[1];
    EXPECT_TRUE(Has(lines[1], "AppName from machine policy")) << lines[1];
    EXPECT_TRUE(Has(lines[1], "Field from user policy")) << lines[1];
    EXPECT_TRUE(Has(lines[1], "Source3 skipped: no search field")) << lines[1];
    EXPECT_EQ(lines[2], "hotkey Ctrl-Shift F11 registered");
}

TEST_F(EventLogTest, EachPressSaysTheWindowRouteTimesLengthAndOutcomeButNeverTheValue) {
    struct Row {
        const char* what;
        std::function<void(fake::FakeWindow&)> source;  // nullptr: no window matches the title
        std::vector<std::string> says;
    };
    const std::string value = "4711-SECRET";
    const Row rows[] = {
        {"an edit control",
         [&](fake::FakeWindow& w) {
             w.control = FocusedControl::Edit;
             w.selection = value;
         },
         {"press: source 1 (the window in front matches its pattern, 6 literal characters), "
          "the window matched by the title \"Orders*\", of orders.exe (class OrdersForm), its title 11 characters",
          "route asked control", "value 11 characters", "runner started, process 4001"}},
        {"a list",
         [&](fake::FakeWindow& w) { w.list = fake::FakeWindow::List{platform::ListText::Control::ListView, {{value}}, {}, {0}, 0, false}; },
         {"route list (a list view has the focus, its chosen item)", "runner started"}},
        {"a console",
         [&](fake::FakeWindow& w) { w.console = fake::FakeWindow::Console{{value + "   "}, 0, {}, false}; },
         {"route console (a console window, its cursor's line)", "runner started"}},
        {"a terminal",
         [&](fake::FakeWindow& w) {
             w.className = "CASCADIA_HOSTING_WINDOW_CLASS";
             desk.CopiedAsSelected(w.id, value);
         },
         {"route terminal (Windows Terminal: it copies as the user selects, no key)", "runner started"}},
        {"the keys",
         [&](fake::FakeWindow& w) { w.selection = value; },
         {"route keys (the focused control is no edit control, no list has the focus, the window is no console, "
          "the window is no known terminal, its program's copies not yet known)",
          "activation 0 ms", "runner started"}},
        {"nothing selected in a terminal",
         [&](fake::FakeWindow& w) { w.className = "mintty"; },
         {"route terminal", "message shown: error: nothing is selected in mintty."}},
        {"an empty value",
         [&](fake::FakeWindow& w) {
             w.control = FocusedControl::Edit;
             w.caretLine = 9;  // below the text: an empty line
         },
         {"value 0 characters", "message shown: no data found"}},
        {"no window", nullptr, {"press: no window matched the title \"Orders*\"", "message shown: error activating"}},
    };
    Start();
    for (const auto& row : rows) {
        desk.windows.clear();
        if (row.source) {
            auto& w = desk.AddWindow("Orders 4711", {"Account"});
            w.className = "OrdersForm";
            w.program = "orders.exe";
            row.source(w);
            desk.foreground = w.id;
        }
        desk.started.clear();
        Lines();
        Press();
        const auto lines = Lines();
        ASSERT_FALSE(lines.empty()) << row.what;
        const auto& press = lines.back();
        EXPECT_EQ(press.rfind("press: ", 0), 0u) << row.what << ": " << press;
        for (const auto& part : row.says) EXPECT_TRUE(Has(press, part)) << row.what << ": " << press;
        for (const auto& line : lines) {
            EXPECT_FALSE(Has(line, "4711")) << row.what << ": the value and the title are customer data: " << line;
        }
        if (desk.messages.empty()) continue;
        EXPECT_EQ(lines.front(), "message box: " + desk.messages.back().text) << row.what;
        desk.messages.clear();
    }
}

TEST_F(EventLogTest, AnUnwritableLogIsSkippedAndSaidOnceWhenItWorksAgainAndPolicyCanTurnItOff) {
    Start();
    Lines();
    desk.logFails = true;
    auto& w = desk.AddWindow("Orders 4711", {"Account 12345"});
    w.control = FocusedControl::Edit;
    w.caretLine = 0;
    Press();
    Press();
    EXPECT_EQ(desk.started.size(), 2u) << "the presses went on without the log";
    desk.logFails = false;
    host.ChooseMenuItem("mnuExit");
    ASSERT_TRUE(desk.RightClickTrayIcon(main));
    auto lines = Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "the log could not be written for a while: 2 lines were left out");
    EXPECT_EQ(lines[1], "exit");

    desk.policy["Log"] = "0";
    Application quiet{services};
    quiet.Start();
    EXPECT_TRUE(desk.logLines.empty()) << "the administrator turned it off";
}

}  // namespace
}  // namespace kestrel
