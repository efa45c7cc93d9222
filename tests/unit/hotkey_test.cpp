#include <gtest/gtest.h>

#include <algorithm>

#include "app/modHotKey.h"
#include "fake/fake_fixture.h"

namespace kestrel {
namespace {

using Log = std::vector<std::string>;
constexpr platform::WindowId kMain = 7;

class HotKeySwitchTest : public fake::FakeTest {
protected:
    HotKeySwitchTest() {
        AppLink().oSettings()->HotKey(122);
        AppLink().oSettings()->HotKeyShift(3);
    }
    Log Calls() {
        Log calls;
        for (const auto& entry : desk.log)
            if (entry.rfind("register", 0) == 0 || entry.rfind("unregister", 0) == 0 || entry == "hook" ||
                entry == "unhook")
                calls.push_back(entry);
        desk.log.clear();
        return calls;
    }
    HotKeySwitch hotkey{kMain};
};

TEST_F(HotKeySwitchTest, TheFourStates) {
    const std::string registration = "register:49153," + std::to_string(6 | 0x4000) + ",122";
    hotkey.HotKeyEnabled(false);
    EXPECT_EQ(Calls(), Log{}) << "False while off calls nothing";

    hotkey.HotKeyEnabled(true);
    EXPECT_EQ(Calls(), (Log{"hook", registration})) << "hooked before registered";
    EXPECT_TRUE(hotkey.Registered());
    hotkey.HotKeyEnabled(true);
    EXPECT_EQ(Calls(), Log{}) << "True twice registers once";

    hotkey.HotKeyEnabled(false);
    EXPECT_EQ(Calls(), (Log{"unregister:49153", "unhook"})) << "unregistered before unhooked";
    EXPECT_FALSE(hotkey.Registered());
    EXPECT_EQ(desk.procedureOf[kMain], fake::FakeDesktop::kBaseProcedure);

    desk.registerFails = true;  // another program holds the combination
    hotkey.HotKeyEnabled(true);
    EXPECT_EQ(Calls(), (Log{"hook", registration}));
    EXPECT_FALSE(hotkey.Registered());
    EXPECT_TRUE(desk.messages.empty()) << "nothing is shown";
    hotkey.HotKeyEnabled(false);
    EXPECT_EQ(Calls(), Log{}) << "the window stays hooked";
    desk.registerFails = false;
    hotkey.HotKeyEnabled(true);
    EXPECT_EQ(Calls(), Log{registration}) << "only the registration is tried again, never a second hook";
    EXPECT_TRUE(hotkey.Registered());

    desk.unregisterFails = true;
    hotkey.HotKeyEnabled(false);
    EXPECT_EQ(Calls(), (Log{"unregister:49153", "unhook"}));
    EXPECT_TRUE(hotkey.Registered()) << "the flag follows the hotkey";
    desk.unregisterFails = false;
    hotkey.HotKeyEnabled(false);
    EXPECT_EQ(Calls(), Log{"unregister:49153"}) << "tried again; the window is already unhooked";
    EXPECT_FALSE(hotkey.Registered());
}

TEST_F(HotKeySwitchTest, TheSettingsAreReadAtTheMomentOfRegistration) {
    const std::tuple<std::int16_t, std::int16_t, std::uint32_t, std::uint32_t> rows[] = {
        {0, 122, 0x4000, 122},          // F11 alone
        {3, 122, 0x4000 | 6, 122},      // Ctrl+Shift+F11
        {4, 'Z', 0x4000 | 1, 'Z'},      // Alt+Z
        {7, 135, 0x4000 | 7, 135},      // Ctrl+Alt+Shift+F24
        {0, -1, 0x4000, 0xFFFFFFFFu},   // widened with its sign
    };
    for (const auto& [shift, key, modifiers, vk] : rows) {
        AppLink().oSettings()->HotKeyShift(shift);
        AppLink().oSettings()->HotKey(key);
        desk.log.clear();
        hotkey.HotKeyEnabled(true);
        EXPECT_EQ(Calls().back(), "register:49153," + std::to_string(modifiers) + "," + std::to_string(vk));
        hotkey.HotKeyEnabled(false);
    }
}

TEST_F(HotKeySwitchTest, TheAtomIsNamedByTheTimeAndDeletedWithTheSwitch) {
    {
        HotKeySwitch other(kMain);
        EXPECT_TRUE(std::none_of(desk.log.begin(), desk.log.end(),
                                 [](const std::string& e) { return e.rfind("atom", 0) == 0; }))
            << "no atom before the switch is first used";
        other.HotKeyEnabled(true);
        other.HotKeyEnabled(false);
        other.HotKeyEnabled(true);
        EXPECT_EQ(std::count(desk.log.begin(), desk.log.end(), "atom-add:07/12/2026 13:10:00"), 1);
        other.HotKeyEnabled(false);
    }
    EXPECT_EQ(desk.log.back(), "atom-delete:49153");
}

TEST_F(HotKeySwitchTest, AWindowThatCannotBeHookedIsReported) {
    desk.hookFails = true;
    hotkey.HotKeyEnabled(true);
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text, "error in modHotKey.Hook: access is denied");
    EXPECT_EQ(desk.messages[0].style, 0);
}

class WindowProcTest : public fake::FakeTest {
protected:
    WindowProcTest() {
        auto settings = AppLink().oSettings();
        settings->SourceAppTitle("Orders");
        settings->AppName("Claims");
        settings->Field("Account");
        AppLink().colFields()->Add("Account", "");
        desk.folders.push_back("C:\\program files\\tamarind\\scripts");
        source = desk.AddWindow("Orders", {"ACME"}).id;
        desk.Find(source)->selection = "12345";
        desk.AddWindow("Document Center");
        modHotKey::Hook(kMain);
    }
    std::intptr_t Press() { return desk.Deliver(kMain, platform::kWmHotKey, 49153, 0); }
    platform::WindowId source = 0;
};

TEST_F(WindowProcTest, OtherMessagesReachThePreviousProcedureWithTheirResult) {
    desk.baseResult = 1234;
    EXPECT_EQ(desk.Deliver(kMain, 0x0200, 1, 517), 1234);
    EXPECT_EQ(desk.log.back(), "base:512");
    EXPECT_TRUE(desk.started.empty());
}

TEST_F(WindowProcTest, AHotKeyGrabsThenSearchesThenPassesTheMessageOn) {
    EXPECT_EQ(Press(), 42);
    ASSERT_EQ(desk.started.size(), 1u);
    EXPECT_EQ(desk.started[0].commandLine,
              "\"C:\\program files\\tamarind\\scripts\\halyard.exe\" Index=Claims;Criteria=Account='12345'");
    EXPECT_EQ(desk.log.back(), "base:786") << "WM_HOTKEY itself goes on after it was handled";
}

TEST_F(WindowProcTest, OnlyProcedureType2RunsTheIndex) {
    for (int type : {0, 1, 2, 3, -1}) {
        desk.started.clear();
        desk.files.clear();
        AppLink().ProcedureType(type);
        Press();
        ASSERT_EQ(desk.started.size(), 1u) << type;
        const bool index = desk.started[0].commandLine.find("halyard.sc") != std::string::npos;
        EXPECT_EQ(index, type == 2) << type;
        EXPECT_EQ(!desk.files.empty(), type == 2) << type;
    }
}

TEST_F(WindowProcTest, AnEmptyCaptureSaysNoDataFoundAndRunsNothing) {
    desk.Find(source)->selection.clear();
    desk.Find(source)->lines = {""};
    EXPECT_EQ(Press(), 42);
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text, "no data found");
    EXPECT_EQ(desk.messages[0].style, 0x1000);
    EXPECT_TRUE(desk.started.empty());
    EXPECT_TRUE(desk.files.empty());
}

TEST_F(WindowProcTest, AnErrorIsReportedAndTheMessageIsNotPassedOn) {
    AppLink().colFields()->Remove(1);
    desk.baseResult = 99;
    EXPECT_EQ(Press(), 0);
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text.rfind("error in modHotKey.WindowProc: ", 0), 0u) << desk.messages[0].text;
    EXPECT_EQ(desk.messages[0].style, 0);
    EXPECT_NE(desk.log.back(), "base:786");
}

TEST_F(WindowProcTest, AHotKeyForAnotherWindowIsOnlyPassedOn) {
    desk.procedureOf[kMain + 1] = fake::FakeDesktop::kInstalled;
    desk.Deliver(kMain + 1, platform::kWmHotKey);
    EXPECT_TRUE(desk.started.empty());
}

TEST_F(WindowProcTest, APressArrivingDuringAnotherIsIgnoredButPassedOn) {
    desk.Find(source)->copyDelayMs = 250;
    int nestedResult = -1;
    desk.At(desk.now + 10, [&] { nestedResult = static_cast<int>(Press()); });
    Press();
    EXPECT_EQ(nestedResult, 42) << "the nested press reached the previous procedure";
    ASSERT_EQ(desk.started.size(), 1u) << "one runner for the two presses";
    EXPECT_NE(desk.started[0].commandLine.find("'12345'"), std::string::npos);
    EXPECT_EQ(std::count(desk.log.begin(), desk.log.end(), "base:786"), 2);
    Press();
    EXPECT_EQ(desk.started.size(), 2u) << "the press after the first one has finished works";
}

TEST_F(WindowProcTest, HookingTwiceNeverHooksTwice) {
    modHotKey::Hook(kMain);
    EXPECT_EQ(std::count(desk.log.begin(), desk.log.end(), "hook"), 1);
    EXPECT_EQ(desk.Deliver(kMain, 0x10), 42) << "no recursion";
    modHotKey::Unhook(kMain);
    EXPECT_EQ(desk.procedureOf[kMain], fake::FakeDesktop::kBaseProcedure);
}

}  // namespace
}  // namespace kestrel
