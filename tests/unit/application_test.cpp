#include <gtest/gtest.h>

#include <algorithm>

#include "app/application.h"
#include "fake/fake_fixture.h"

namespace kestrel {
namespace {

using Log = std::vector<std::string>;

class ApplicationTest : public fake::FakeTest {
protected:
    void CompleteSettings() {
        Store("SourceWindow", "Orders");
        Store("AppName", "Claims");
        Store("Field", "Account");
        Store("Hotkey", "122");
        Store("HotKeyShift", "3");
    }
    fake::FakeForm& Main() { return host.Get("frmmain"); }
    // The calls that matter for the order of things, in order.
    Log Steps() {
        Log steps;
        for (const auto& e : desk.log)
            if (e.rfind("register", 0) == 0 || e.rfind("unregister", 0) == 0 || e == "hook" || e == "unhook" ||
                e.rfind("tray", 0) == 0 || e.rfind("message:", 0) == 0)
                steps.push_back(e.rfind("unregister", 0) == 0 ? "unregister" : e);
        desk.log.clear();
        return steps;
    }
    void RightClickIcon() { ASSERT_TRUE(desk.RightClickTrayIcon(Main().Handle())); }
    bool Popped() {
        return std::count(host.log.begin(), host.log.end(), "popup:frmmain.Options") > 0;
    }

    // A program of its own: started afresh with the store as it is.
    Application& Restart() {
        app.reset();
        host.loads.clear();
        app = std::make_unique<Application>(services);
        return *app;
    }
    void Start() { Restart().Start(); }
    std::unique_ptr<Application> app;
};

TEST_F(ApplicationTest, CompleteSettingsStartHiddenWithIconFieldAndHotKey) {
    CompleteSettings();
    Start();
    EXPECT_EQ(host.loads, Log{"frmmain"}) << "no dialog";
    EXPECT_EQ(Steps(), (Log{"tray-add", "hook", "register:49153,6,122"}));
    EXPECT_FALSE(Main().Visible());
    EXPECT_FALSE(desk.taskVisible);
    EXPECT_TRUE(app->hotKey()->Registered());
    ASSERT_TRUE(app->link().field());
    EXPECT_EQ(app->link().field()->name, "Account");
    EXPECT_EQ(app->link().procedure(), AppLink::Procedure::Search);
    ASSERT_EQ(desk.trayIcons.size(), 1u);
    EXPECT_EQ(desk.trayIcons.begin()->first, Main().Handle());
    EXPECT_EQ(desk.trayIcons.begin()->second.tip, "Kestrel");
}

TEST_F(ApplicationTest, IncompleteSettingsOpenTheDialogDuringStartUp) {
    for (const char* missing : {"AppName", "Field", ""}) {
        desk.store.clear();
        if (*missing) {
            CompleteSettings();
            Store(missing, "");
        }
        bool hiddenWhileOpen = false;
        host.onShowModal = [&](fake::FakeForm& dialog) {
            hiddenWhileOpen = !Main().Visible();
            dialog.Click("cmdCancel");
        };
        Steps();
        Start();
        EXPECT_EQ(host.loads, (Log{"frmmain", "frmSettings"})) << missing;
        EXPECT_TRUE(hiddenWhileOpen);
        ASSERT_TRUE(app->link().field()) << missing;
        EXPECT_EQ(app->link().field()->name, app->settings().sources[0].searchField);
        EXPECT_FALSE(app->hotKey()->Registered()) << "not set up, no hotkey";
        EXPECT_EQ(Steps(), (Log{"tray-add"})) << "nothing registered, nothing said";
        host.onShowModal = [](fake::FakeForm& dialog) {
            dialog.SetText("txtDocType", "Claims");
            dialog.SetText("txtSearchField", "Account");
            dialog.Click("cmdOK");
        };
        Main().Click("cmdConfigure");
        EXPECT_TRUE(app->hotKey()->Registered()) << "armed once complete values are saved";
        Main().Unload();
    }
}

TEST_F(ApplicationTest, TheSettingsCommandReleasesTheHotKeyAroundTheDialogAndRebuildsTheField) {
    CompleteSettings();
    Start();
    Steps();
    host.onShowModal = [&](fake::FakeForm& dialog) {
        EXPECT_EQ(Steps(), (Log{"unregister", "unhook"})) << "no hotkey while the dialog is open";
        dialog.SetText("txtSearchField", "Policy");
        dialog.KeyDown("txtHotKey", 116, 2);
        dialog.Click("cmdOK");
    };
    for (const char* how : {"button", "menu", "button"}) {
        if (std::string(how) == "menu") {
            host.ChooseMenuItem("Settings");
            RightClickIcon();
        } else {
            Main().Click("cmdConfigure");
        }
        // The registration after the dialog uses the new key: F5 with Ctrl.
        EXPECT_EQ(Steps(), (Log{"hook", "register:49153,2,116"})) << how;
        ASSERT_TRUE(app->link().field()) << how;
        EXPECT_EQ(app->link().field()->name, "Policy");
        EXPECT_EQ(app->link().field()->value, "");
    }
    EXPECT_EQ(desk.log, Log{});
    Main().Unload();
}

TEST_F(ApplicationTest, ExitReleasesTheHotKeyThenRemovesTheIcon) {
    for (const char* how : {"cmdExit", "mnuExit"}) {
        desk.store.clear();
        CompleteSettings();
        Start();
        Steps();
        if (std::string(how) == "cmdExit") {
            Main().Click("cmdExit");
        } else {
            host.ChooseMenuItem("mnuExit");
            RightClickIcon();
        }
        EXPECT_EQ(Steps(), (Log{"unregister", "unhook", "tray-delete"})) << how;
        EXPECT_EQ(host.LoadedForms(), 0);
        EXPECT_TRUE(desk.trayIcons.empty());
    }
}

TEST_F(ApplicationTest, ARightClickOnTheIconPopsUpTheMenuInFront) {
    CompleteSettings();
    Start();
    host.ChooseMenuItem("");  // dismissed
    RightClickIcon();
    EXPECT_TRUE(Popped());
    EXPECT_FALSE(Main().Visible()) << "no window was restored";
    EXPECT_EQ(desk.foreground, Main().Handle()) << "the program is in front while its menu is open";
}

TEST_F(ApplicationTest, OneSettingsDialogAtATime) {
    CompleteSettings();
    Start();
    // While the dialog is open the tray menu's Settings brings it forward and
    // Exit closes it as Cancel would before the program ends.
    struct Row {
        const char* choice;
        std::size_t loadedAfter;
    };
    for (const auto& row : {Row{"Settings", 1}, Row{"mnuExit", 0}}) {
        std::size_t dialogsDuring = 0;
        host.onShowModal = [&](fake::FakeForm& dialog) {
            dialog.SetText("txtDocType", "Changed");
            host.log.clear();
            host.ChooseMenuItem(row.choice);
            RightClickIcon();
            dialogsDuring = static_cast<std::size_t>(std::count(host.loads.begin(), host.loads.end(), "frmSettings"));
        };
        host.loads.clear();
        Main().Click("cmdConfigure");
        EXPECT_EQ(dialogsDuring, 1u) << row.choice << ": never a second dialog";
        EXPECT_EQ(host.LoadedForms(), row.loadedAfter) << row.choice;
        EXPECT_EQ(app->settings().sources[0].documentType, "Claims") << row.choice << ": nothing saved";
        if (row.loadedAfter) {
            EXPECT_NE(std::find(host.log.begin(), host.log.end(), "show:frmSettings"), host.log.end()) << "brought forward";
            EXPECT_TRUE(app->hotKey()->Registered());
        } else {
            EXPECT_TRUE(desk.trayIcons.empty());
            EXPECT_FALSE(app->hotKey()->Registered()) << "not armed again on a window that is gone";
        }
    }
}

TEST_F(ApplicationTest, TheHotKeyIsArmedAgainHoweverTheDialogEnds) {
    CompleteSettings();
    Start();
    struct Row {
        const char* how;
        std::function<void(fake::FakeForm&)> work;
    };
    const Row rows[] = {
        {"a failed save, then Cancel",
         [&](fake::FakeForm& d) {
             desk.failSaveAt = "Hotkey";
             d.SetText("txtDocType", "Other");
             d.KeyDown("txtHotKey", 116, 2);
             d.Click("cmdOK");
             desk.failSaveAt.clear();
             d.Click("cmdCancel");
         }},
        {"an error inside the dialog", [](fake::FakeForm&) { throw Error("the dialog broke"); }},
    };
    for (const auto& row : rows) {
        host.onShowModal = row.work;
        Steps();
        Main().Click("cmdConfigure");
        const auto steps = Steps();
        EXPECT_NE(std::find(steps.begin(), steps.end(), "register:49153,6,122"), steps.end())
            << row.how << ": the stored combination, armed again";
        EXPECT_EQ(app->settings().sources[0].documentType, "Claims") << row.how << ": the program keeps the stored values";
    }
    EXPECT_EQ(desk.messages.back().text, "error in frmmain.cmdConfigure_Click: the dialog broke");
}

TEST_F(ApplicationTest, MinimizeChangesTheWindowStateOnly) {
    CompleteSettings();
    Start();
    Steps();
    Main().Click("cmdMinimize");
    EXPECT_EQ(Main().GetWindowState(), forms::WindowState::Minimized);
    EXPECT_FALSE(Main().Visible());
    EXPECT_EQ(Steps(), Log{});
}

TEST_F(ApplicationTest, AHotKeyHeldByAnotherProgramIsNamedInAMessage) {
    CompleteSettings();
    desk.registerFails = true;
    Start();
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text,
              "The hotkey Ctrl-Shift F11 is in use by another program. Choose another one in Settings.");
    EXPECT_EQ(desk.messages[0].modality, platform::Modality::System);
    host.onShowModal = [](fake::FakeForm& dialog) { dialog.Click("cmdCancel"); };
    Main().Click("cmdConfigure");
    EXPECT_EQ(desk.messages.size(), 2u) << "again after the settings command";
    desk.registerFails = false;
    Main().Click("cmdConfigure");
    EXPECT_EQ(desk.messages.size(), 2u);
}

// The administrator's classes that read are known to the presses; the others are said at start.
TEST_F(ApplicationTest, ControlClassesThatDoNotReadAreSaidAndTheOthersAreKnown) {
    CompleteSettings();
    desk.policy = {{"ControlClasses", "TGrid=grid;TTermPane=terminal;Pane"}};
    auto& source = desk.AddWindow("Orders");
    source.className = "TTermPane";
    Start();
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text,
              "The value ControlClasses in Settings has entries that are no \"class=kind\" with a kind Kestrel knows: "
              "\"TGrid=grid\", \"Pane\". Those classes are not known; the others are.");
    EXPECT_EQ(std::count(desk.logLines.begin(), desk.logLines.end(),
                         "bad value: ControlClasses in Settings: \"TGrid=grid\", \"Pane\""),
              1);
    EXPECT_TRUE(app->hotKey()->Registered()) << "the program goes on";
    ASSERT_TRUE(desk.PressHotKey(Main().Handle()));
    EXPECT_EQ(desk.messages.back().text,
              "error: nothing is selected in the terminal. Select the value there, then press the hotkey again.");
    EXPECT_EQ(source.programKeys, 0);
}

// A document type or search field that would break the search, or a
// ValueFrom that does not read, from policy or an old store, is said at start; that source's presses search nothing,
// the others' go on. The log names where each source's values came from.
TEST_F(ApplicationTest, ASourceThatCannotSearchIsSaidAtStartAndItsPressesSearchNothing) {
    CompleteSettings();
    desk.policy = {{"Source2\\SourceWindow", "Ledger*"}, {"Source2\\AppName", "Ledger"}, {"Source2\\Field", "Acc'No"}};
    desk.userPolicy = {"Source2\\Field"};
    for (const auto& [key, value] : {std::pair{"SourceWindow", "Stock"}, {"AppName", "St;ock"}, {"Field", "Item"},
                                     {"ValueFrom", "control edit 0"}})
        desk.store[fake::FakeDesktop::StoreKey("Kestrel", "Source3", key)] = value;
    Start();
    ASSERT_EQ(desk.messages.size(), 3u);
    EXPECT_EQ(desk.messages[0].text,
              "Source 2 (Field in Source2, set by policy) cannot search: the search field holds ''', which a search "
              "cannot carry. That source searches nothing until it is mended.");
    EXPECT_EQ(desk.messages[1].text,
              "Where source 3 takes its value from (ValueFrom in Source3) does not read: the number after the class "
              "counts from 1, not 0. That source searches nothing until it is mended in Settings.");
    EXPECT_EQ(desk.messages[2].text.rfind("Source 3 (AppName in Source3) cannot search: the document type holds ';'", 0),
              0u)
        << desk.messages[2].text;
    const auto logged = [&](const std::string& part) {
        return std::any_of(desk.logLines.begin(), desk.logLines.end(),
                           [&](const std::string& l) { return l.find(part) != std::string::npos; });
    };
    EXPECT_TRUE(logged("; Source2: AppName from machine policy, Field from user policy, SourceWindow from machine "
                       "policy, the rest from store; Source3: from store"));
    EXPECT_TRUE(app->hotKey()->Registered()) << "the program goes on";

    desk.foreground = desk.AddWindow("Mail").id;
    ASSERT_TRUE(desk.PressHotKey(Main().Handle()));
    EXPECT_TRUE(logged("press: no window matched the titles \"Orders\", \"Ledger*\", \"Stock\""));

    desk.messages.clear();
    desk.foreground = desk.AddWindow("Ledger 7").id;
    ASSERT_TRUE(desk.PressHotKey(Main().Handle()));
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text,
              "error: source 2 searches nothing: the search field holds ''', which a search cannot carry. "
              "It is set by policy.");
    EXPECT_TRUE(logged("press: source 2 (the window in front matches its pattern, 6 literal characters) searches "
                       "nothing: Field: the search field holds '''"));
    EXPECT_TRUE(desk.started.empty());

    auto& orders = desk.AddWindow("Orders");
    orders.control = fake::FocusedControl::Edit;
    orders.selection = "12345";
    desk.foreground = orders.id;
    ASSERT_TRUE(desk.PressHotKey(Main().Handle()));
    EXPECT_EQ(desk.started.size(), 1u) << "source 1 searches as before";
}

TEST_F(ApplicationTest, ABadStoredValueIsReportedAndSettingsCanRepairIt) {
    CompleteSettings();
    Store("Hotkey", "F11");
    Start();
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text.rfind("error in Main: ", 0), 0u);
    EXPECT_NE(desk.messages[0].text.find("\"Hotkey\""), std::string::npos) << desk.messages[0].text;
    EXPECT_NE(desk.messages[0].text.find("\"F11\""), std::string::npos) << desk.messages[0].text;
    EXPECT_EQ(desk.messages[0].modality, platform::Modality::System);
    EXPECT_EQ(Steps(), (Log{"tray-add", "message:" + desk.messages[0].text})) << "the icon stays, the hotkey off";
    EXPECT_EQ(host.LoadedForms(), 1);

    std::string shownType, shownKey;
    host.onShowModal = [&](fake::FakeForm& dialog) {
        shownType = dialog.Text("txtDocType");
        shownKey = dialog.Text("txtHotKey");
        dialog.Click("cmdCancel");
    };
    Main().Click("cmdConfigure");
    EXPECT_EQ(shownType, "Claims") << "the values that read well are kept";
    EXPECT_EQ(shownKey, "Ctrl-Shift F11") << "the bad key shows its default";
    EXPECT_EQ(Steps(), Log{}) << "Cancel: still off, nothing written";
    EXPECT_EQ(Stored("Hotkey"), "F11");

    host.onShowModal = [](fake::FakeForm& dialog) { dialog.Click("cmdOK"); };
    Main().Click("cmdConfigure");
    EXPECT_EQ(Stored("Hotkey"), "122");
    EXPECT_EQ(Steps(), (Log{"hook", "register:49153,6,122"})) << "OK stores good values and arms the hotkey";
}

TEST_F(ApplicationTest, PolicyThatSetsTheSearchArmsTheHotKeyAndIsShownReadOnly) {
    desk.policy = {{"AppName", "Claims"}, {"Field", "PolicyNo"}};
    Start();
    EXPECT_EQ(host.loads, Log{"frmmain"}) << "no first-start dialog";
    EXPECT_TRUE(app->hotKey()->Registered());
    ASSERT_TRUE(app->link().field());
    EXPECT_EQ(app->link().field()->name, "PolicyNo");

    std::map<std::string, bool> enabled;
    host.onShowModal = [&](fake::FakeForm& dialog) {
        for (const char* box : {"txtSourceWindow", "txtDocType", "txtSearchField", "txtHotKey"})
            enabled[box] = dialog.Enabled(box);
        EXPECT_EQ(dialog.Text("txtDocType"), "Claims");
        dialog.SetText("txtSourceWindow", "Orders");
        dialog.Click("cmdOK");
    };
    Main().Click("cmdConfigure");
    EXPECT_EQ(enabled, (std::map<std::string, bool>{
                           {"txtSourceWindow", true}, {"txtDocType", false}, {"txtSearchField", false}, {"txtHotKey", true}}));
    EXPECT_EQ(Stored("SourceWindow"), "Orders");
    EXPECT_EQ(Stored("AppName"), "<absent>") << "OK leaves the user's store without the policy's values";
    EXPECT_EQ(Stored("Field"), "<absent>");
}

TEST_F(ApplicationTest, OneProgramPerSessionASecondStartAsksTheFirstForSettings) {
    CompleteSettings();
    desk.anotherInstance = true;
    Start();
    EXPECT_EQ(host.loads, Log{}) << "no window";
    EXPECT_EQ(Steps(), Log{}) << "no icon, no hotkey, nothing said";

    desk.anotherInstance = false;
    Start();
    ASSERT_TRUE(desk.settingsWanted);
    std::size_t loadsWhileOpen = 0;
    host.onShowModal = [&](fake::FakeForm& dialog) {
        host.log.clear();
        desk.settingsWanted();  // yet another start while the dialog is open
        loadsWhileOpen = host.loads.size();
        EXPECT_NE(std::find(host.log.begin(), host.log.end(), "show:frmSettings"), host.log.end()) << "brought forward";
        dialog.Click("cmdCancel");
    };
    desk.settingsWanted();
    EXPECT_EQ(host.loads, (Log{"frmmain", "frmSettings"})) << "opened as the tray menu does";
    EXPECT_EQ(loadsWhileOpen, 2u) << "never a second dialog";
    EXPECT_TRUE(app->hotKey()->Registered());
}

}  // namespace
}  // namespace kestrel

namespace kestrel {
namespace {

// What a program's copies showed before a restart serves its first press
// after it, in a window of its never seen before: a caret's line without
// the first copy's whole bound.
TEST_F(ApplicationTest, CopyTimesLearnedBeforeARestartServeTheFirstPressAfterIt) {
    CompleteSettings();
    Store("SourceWindow", "Orders*");
    const auto press = [&](bool selected) {
        desk.windows.clear();
        auto& w = desk.AddWindow("Orders " + std::to_string(desk.windows.size() + desk.now), {"Account 12345"});
        w.program = "orders.exe";
        w.className = "TOrderForm";
        w.copyDelayMs = 20;
        w.selection = selected ? "12345" : "";
        desk.foreground = w.id;
        desk.logLines.clear();
        const auto start = desk.now;
        EXPECT_TRUE(desk.PressHotKey(Main().Handle()));
        return desk.now - start;
    };
    Start();
    EXPECT_GE(press(false), KeysRoute::kFirstCopyBoundMs) << "a program never seen gets the whole bound";
    for (int i = 0; i < 3; ++i) press(true);
    app->mainWindow().form().Unload();  // Exit, or the end of the session
    Start();
    EXPECT_LT(press(false), KeysRoute::kFirstCopyBoundMs) << "its copies known from before the restart";
    ASSERT_FALSE(desk.logLines.empty());
    EXPECT_NE(desk.logLines.back().find("its program's copies known"), std::string::npos) << desk.logLines.back();
    EXPECT_EQ(desk.started.size(), 5u) << "every press searched";
}

TEST_F(ApplicationTest, WhileTheSourcesDialogWaitsForAPickTheHotKeyIsThePickAndSearchesNothing) {
    CompleteSettings();
    auto& form = desk.AddWindow("Orders");
    form.children.push_back({{51, 1001, "Edit", ""}, "Order 4711"});
    desk.picker.windows[51] = form.id;
    Start();
    Steps();
    host.onShowModal = [&](fake::FakeForm& dialog) {
        if (dialog.Name() == "frmSettings") {
            dialog.Click("cmdSources");
            dialog.Click("cmdCancel");
            return;
        }
        EXPECT_FALSE(desk.PressHotKey(Main().Handle())) << "no hotkey in the dialogs";
        Steps();
        dialog.Click("cmdPick");
        EXPECT_EQ(Steps(), (Log{"hook", "register:49153,6,122"})) << "the combination in the Settings dialog";
        desk.picker.focused = 51;
        ASSERT_TRUE(desk.PressHotKey(Main().Handle()));
        EXPECT_EQ(dialog.Text("txtValueFrom"), "control #1001");
        EXPECT_EQ(dialog.Text("lblValue").substr(0, 17), "Field: Order 4711");
        EXPECT_EQ(Steps(), (Log{"unregister", "unhook"})) << "given back with the pick";
        dialog.PressEsc();
    };
    Main().Click("cmdConfigure");
    EXPECT_TRUE(desk.started.empty()) << "nothing searched";
    EXPECT_EQ(desk.clipboard, "") << "nothing copied";
    EXPECT_EQ(Steps(), (Log{"hook", "register:49153,6,122"})) << "the hotkey searches again after Settings";
    Main().Unload();
}

}  // namespace
}  // namespace kestrel

namespace kestrel {
namespace {

// Settings changed outside the program are taken when heard, said once with
// where they came from, and wait for an open dialog; the program's own
// writes, heard as well, say nothing.
TEST_F(ApplicationTest, ChangesHeardAreTakenSaidByWhereFromAndWaitForAnOpenDialog) {
    CompleteSettings();
    Start();
    const auto changed = [&] {
        Log lines;
        for (const auto& line : desk.logLines)
            if (line.rfind("settings changed", 0) == 0 || line.rfind("hotkey", 0) == 0) lines.push_back(line);
        desk.logLines.clear();
        return lines;
    };
    changed();
    Steps();
    ASSERT_TRUE(desk.SettingsChanged());
    EXPECT_EQ(changed(), Log{}) << "nothing changed, nothing said";
    EXPECT_EQ(Steps(), Log{});

    Store("AppName", "Letters");
    Store("Hotkey", "116");
    desk.SettingsChanged();
    EXPECT_EQ(changed(), (Log{"settings changed (store): source 1 document type, hotkey",
                              "hotkey Ctrl-Shift F5 registered"}));
    EXPECT_EQ(Steps(), (Log{"unregister", "unhook", "hook", "register:49153,6,116"}));

    host.onShowModal = [&](fake::FakeForm& dialog) {
        desk.policy = {{"Field", "PolicyNo"}};
        desk.SettingsChanged();
        EXPECT_EQ(app->settings().sources[0].searchField, "Account") << "not under the open dialog";
        EXPECT_EQ(changed(), Log{});
        dialog.KeyDown("txtHotKey", 117, 3);
        dialog.Click("cmdOK");
    };
    Main().Click("cmdConfigure");
    EXPECT_EQ(Stored("Field"), "Account") << "the dialog wrote only the hotkey";
    EXPECT_EQ(changed(), (Log{"hotkey Ctrl-Shift F6 registered", "settings changed (policy): source 1 search field"}));
    desk.SettingsChanged();  // the dialog's own save, heard
    EXPECT_EQ(changed(), Log{});

    auto& window = desk.AddWindow("Orders", {"12345"});
    window.selection = "12345";
    desk.foreground = window.id;
    ASSERT_TRUE(desk.PressHotKey(Main().Handle()));
    ASSERT_FALSE(desk.started.empty());
    EXPECT_NE(desk.started.back().commandLine.find("Index=Letters;Criteria=PolicyNo="), std::string::npos)
        << desk.started.back().commandLine;
}

}  // namespace
}  // namespace kestrel
