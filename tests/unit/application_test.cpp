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
        Start();
        EXPECT_EQ(host.loads, (Log{"frmmain", "frmSettings"})) << missing;
        EXPECT_TRUE(hiddenWhileOpen);
        ASSERT_TRUE(app->link().field()) << missing;
        EXPECT_EQ(app->link().field()->name, app->settings().searchField);
        EXPECT_TRUE(app->hotKey()->Registered()) << "armed when the dialog closes";
        EXPECT_EQ(app->link().procedure(), AppLink::Procedure::Search);
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

TEST_F(ApplicationTest, ARightClickWhileTheMenusCommandRunsIsIgnored) {
    CompleteSettings();
    Start();
    int popupsDuringDialog = -1;
    host.onShowModal = [&](fake::FakeForm& dialog) {
        const auto before = std::count(host.log.begin(), host.log.end(), "popup:frmmain.Options");
        RightClickIcon();
        popupsDuringDialog = static_cast<int>(std::count(host.log.begin(), host.log.end(), "popup:frmmain.Options") - before);
        dialog.Click("cmdCancel");
    };
    host.ChooseMenuItem("Settings");
    RightClickIcon();
    EXPECT_EQ(popupsDuringDialog, 0);
    host.ChooseMenuItem("");
    RightClickIcon();
    EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "popup:frmmain.Options"), 2) << "free again afterwards";
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

TEST_F(ApplicationTest, AStartUpErrorIsReportedAndEndsCleanly) {
    CompleteSettings();
    Store("Hotkey", "F11");
    Start();
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text.rfind("error in Main: ", 0), 0u);
    EXPECT_NE(desk.messages[0].text.find("\"F11\""), std::string::npos) << desk.messages[0].text;
    EXPECT_EQ(desk.messages[0].modality, platform::Modality::System);
    EXPECT_EQ(Steps(), (Log{"tray-add", "message:" + desk.messages[0].text, "tray-delete"}));
    EXPECT_EQ(host.LoadedForms(), 0) << "nothing keeps the program alive";
}

}  // namespace
}  // namespace kestrel
