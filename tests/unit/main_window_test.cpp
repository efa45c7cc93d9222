#include <gtest/gtest.h>

#include <algorithm>

#include "app/CIAsystray.h"
#include "app/frmmain.h"
#include "fake/fake_fixture.h"
#include "fake/fake_forms.h"

namespace kestrel {
namespace {

using Log = std::vector<std::string>;

class MainWindowTest : public fake::FakeTest {
protected:
    MainWindowTest() : scope_(Services()) { frmmain::Release(); }
    ~MainWindowTest() override { frmmain::Release(); }
    platform::Services Services() {
        auto services = desk.Services();
        services.forms = &host;
        return services;
    }
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
                steps.push_back(e.rfind("register", 0) == 0 ? "register" : e.rfind("unregister", 0) == 0 ? "unregister" : e);
        desk.log.clear();
        return steps;
    }
    void TrayCallback(int code) { Main().MouseMove(0, 0, static_cast<float>(code * 15), 0); }
    bool Popped() {
        return std::count(host.log.begin(), host.log.end(), "popup:frmmain.Options") > 0;
    }

    fake::FakeFormHost host;

private:
    platform::ScopedServices scope_;
};

TEST_F(MainWindowTest, CompleteSettingsStartHiddenWithIconFieldAndHotKey) {
    CompleteSettings();
    modMain::Main();
    EXPECT_EQ(host.loads, Log{"frmmain"}) << "no dialog";
    EXPECT_EQ(Steps(), (Log{"tray-add", "hook", "register"}));
    EXPECT_FALSE(Main().Visible());
    EXPECT_FALSE(desk.taskVisible);
    EXPECT_TRUE(frmmain::Instance()->HotKeyRegistered());
    ASSERT_EQ(AppLink().colFields()->Count(), 1);
    EXPECT_EQ(AppLink().colFields()->Item(1)->Field(), "Account");
    EXPECT_EQ(AppLink().ProcedureType(), 1);
    const auto& record = desk.trayRecords.at(0);
    EXPECT_EQ(record.window, Main().Handle());
    EXPECT_EQ(record.id, 1u);
    EXPECT_EQ(record.flags, 7u);
    EXPECT_EQ(record.callbackMessage, 512u);
    EXPECT_EQ(record.icon, 0x1C000 + Main().Handle());
    EXPECT_EQ(record.tip, "Kestrel");
}

TEST_F(MainWindowTest, IncompleteSettingsOpenTheDialogDuringStartUp) {
    for (const char* missing : {"AppName", "Field", ""}) {
        desk.store.clear();
        if (*missing) {
            CompleteSettings();
            Store(missing, "");
        }
        frmmain::Release();
        ResetAppLink();
        host.loads.clear();
        bool hiddenWhileOpen = false;
        host.onShowModal = [&](fake::FakeForm& dialog) {
            hiddenWhileOpen = !Main().Visible();
            dialog.Click("cmdCancel");
        };
        modMain::Main();
        EXPECT_EQ(host.loads, (Log{"frmmain", "frmSettings"})) << missing;
        EXPECT_TRUE(hiddenWhileOpen);
        ASSERT_EQ(AppLink().colFields()->Count(), 1) << missing;
        EXPECT_EQ(AppLink().colFields()->Item(1)->Field(), AppLink().oSettings()->Field());
        EXPECT_TRUE(frmmain::Instance()->HotKeyRegistered()) << "armed when the dialog closes";
        EXPECT_EQ(AppLink().ProcedureType(), 0);
        Main().Unload();
    }
}

TEST_F(MainWindowTest, TheSettingsCommandReleasesTheHotKeyAroundTheDialogAndRebuildsField1) {
    CompleteSettings();
    modMain::Main();
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
            TrayCallback(517);
        } else {
            Main().Click("cmdConfigure");
        }
        EXPECT_EQ(Steps(), (Log{"hook", "register"})) << how;
        ASSERT_EQ(AppLink().colFields()->Count(), 1) << how;
        EXPECT_EQ(AppLink().colFields()->Item(1)->Field(), "Policy");
        EXPECT_EQ(AppLink().colFields()->Item(1)->value(), "");
    }
    EXPECT_EQ(desk.log, Log{});
    Main().Unload();
    // The registration after the dialog used the new key (F5 with Ctrl: modifiers 2).
    EXPECT_EQ(AppLink().oSettings()->HotKeyMod(), 2);
}

TEST_F(MainWindowTest, ExitReleasesTheHotKeyThenRemovesTheIcon) {
    for (const char* how : {"cmdExit", "mnuExit"}) {
        desk.store.clear();
        desk.trayRecords.clear();
        CompleteSettings();
        frmmain::Release();
        ResetAppLink();
        modMain::Main();
        Steps();
        if (std::string(how) == "cmdExit") {
            Main().Click("cmdExit");
        } else {
            host.ChooseMenuItem("mnuExit");
            TrayCallback(517);
        }
        EXPECT_EQ(Steps(), (Log{"unregister", "unhook", "tray-delete"})) << how;
        EXPECT_EQ(host.LoadedForms(), 0);
        EXPECT_EQ(desk.trayRecords.back().window, desk.trayRecords.front().window) << "the record as it was added";
    }
}

TEST_F(MainWindowTest, OnlyARightButtonReleaseOnTheIconOpensTheMenu) {
    CompleteSettings();
    modMain::Main();
    for (int code : {512, 513, 514, 515, 516, 518, 519, 0}) {
        TrayCallback(code);
        EXPECT_FALSE(Popped()) << code;
    }
    EXPECT_TRUE(Main().Visible() == false) << "no window was restored";
    host.ChooseMenuItem("");  // dismissed
    TrayCallback(517);
    EXPECT_TRUE(Popped());
    EXPECT_EQ(desk.foreground, Main().Handle()) << "the program is in front while its menu is open";
}

TEST_F(MainWindowTest, ARightClickWhileTheMenusCommandRunsIsIgnored) {
    CompleteSettings();
    modMain::Main();
    int popupsDuringDialog = -1;
    host.onShowModal = [&](fake::FakeForm& dialog) {
        const auto before = std::count(host.log.begin(), host.log.end(), "popup:frmmain.Options");
        TrayCallback(517);
        popupsDuringDialog = static_cast<int>(std::count(host.log.begin(), host.log.end(), "popup:frmmain.Options") - before);
        dialog.Click("cmdCancel");
    };
    host.ChooseMenuItem("Settings");
    TrayCallback(517);
    EXPECT_EQ(popupsDuringDialog, 0);
    host.ChooseMenuItem("");
    TrayCallback(517);
    EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "popup:frmmain.Options"), 2) << "free again afterwards";
}

TEST_F(MainWindowTest, MinimizeChangesTheWindowStateOnly) {
    CompleteSettings();
    modMain::Main();
    Steps();
    Main().Click("cmdMinimize");
    EXPECT_EQ(Main().GetWindowState(), forms::WindowState::Minimized);
    EXPECT_FALSE(Main().Visible());
    EXPECT_EQ(Steps(), Log{});
}

TEST_F(MainWindowTest, AHotKeyHeldByAnotherProgramIsNamedInAMessage) {
    CompleteSettings();
    desk.registerFails = true;
    modMain::Main();
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text,
              "The hotkey Ctrl-Shift F11 is in use by another program. Choose another one in Settings.");
    EXPECT_EQ(desk.messages[0].style, 0x1000);
    host.onShowModal = [](fake::FakeForm& dialog) { dialog.Click("cmdCancel"); };
    Main().Click("cmdConfigure");
    EXPECT_EQ(desk.messages.size(), 2u) << "again after the settings command";
    desk.registerFails = false;
    Main().Click("cmdConfigure");
    EXPECT_EQ(desk.messages.size(), 2u);
}

TEST_F(MainWindowTest, AStartUpErrorIsReportedAndEndsCleanly) {
    CompleteSettings();
    Store("Hotkey", "F11");
    modMain::Main();
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text.rfind("error in Main: ", 0), 0u);
    EXPECT_NE(desk.messages[0].text.find("\"F11\""), std::string::npos) << desk.messages[0].text;
    EXPECT_EQ(desk.messages[0].style, 0x1000);
    EXPECT_EQ(Steps(), (Log{"tray-add", "message:" + desk.messages[0].text, "tray-delete"}));
    EXPECT_EQ(host.LoadedForms(), 0) << "nothing keeps the program alive";
}

TEST_F(MainWindowTest, ARecreatedNotificationAreaGetsTheIconBack) {
    CompleteSettings();
    modMain::Main();
    Steps();
    EXPECT_FALSE(Main().Message(fake::FakeDesktop::kTaskbarCreated, 0, 0)) << "the message goes on";
    EXPECT_EQ(Steps(), Log{"tray-add"});
    EXPECT_EQ(desk.trayRecords.back().tip, "Kestrel");
    EXPECT_EQ(desk.trayRecords.back().window, Main().Handle());
}

}  // namespace
}  // namespace kestrel
