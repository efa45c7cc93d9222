#include <gtest/gtest.h>

#include <algorithm>

#include "app/application.h"
#include "app/hotkey.h"
#include "fake/fake_fixture.h"

namespace kestrel {
namespace {

using Log = std::vector<std::string>;
constexpr platform::WindowId kMain = 7;

class HotKeyTest : public fake::FakeTest {
protected:
    Log Calls() {
        Log calls;
        for (const auto& entry : desk.log)
            if (entry.rfind("register", 0) == 0 || entry.rfind("unregister", 0) == 0 || entry == "hook" ||
                entry == "unhook")
                calls.push_back(entry);
        desk.log.clear();
        return calls;
    }
    void Enable() { hotKey.Enable(6, 122); }
    int presses = 0;
    HotKey hotKey{desk, desk, kMain, [this] { ++presses; }};
};

TEST_F(HotKeyTest, TheFourStates) {
    const std::string registration = "register:49153,6,122";
    hotKey.Disable();
    EXPECT_EQ(Calls(), Log{}) << "disabling while off calls nothing";

    Enable();
    EXPECT_EQ(Calls(), (Log{"hook", registration})) << "listened to before registered";
    EXPECT_TRUE(hotKey.Registered());
    Enable();
    EXPECT_EQ(Calls(), Log{}) << "enabling twice registers once";

    hotKey.Disable();
    EXPECT_EQ(Calls(), (Log{"unregister:49153", "unhook"})) << "unregistered before the listening stops";
    EXPECT_FALSE(hotKey.Registered());
    EXPECT_FALSE(hotKey.Listening());

    desk.registerFails = true;  // another program holds the combination
    Enable();
    EXPECT_EQ(Calls(), (Log{"hook", registration}));
    EXPECT_FALSE(hotKey.Registered());
    EXPECT_TRUE(desk.messages.empty()) << "nothing is shown";
    hotKey.Disable();
    EXPECT_EQ(Calls(), Log{}) << "the window is still listened to";
    desk.registerFails = false;
    Enable();
    EXPECT_EQ(Calls(), Log{registration}) << "only the registration is tried again, never a second listener";
    EXPECT_TRUE(hotKey.Registered());

    desk.unregisterFails = true;
    hotKey.Disable();
    EXPECT_EQ(Calls(), (Log{"unregister:49153", "unhook"}));
    EXPECT_TRUE(hotKey.Registered()) << "the flag follows the hotkey";
    desk.unregisterFails = false;
    hotKey.Disable();
    EXPECT_EQ(Calls(), Log{"unregister:49153"}) << "tried again; the window is no longer listened to";
    EXPECT_FALSE(hotKey.Registered());
}

TEST_F(HotKeyTest, TheAtomIsNamedByTheTimeAndDeletedWithTheHotKey) {
    {
        HotKey other(desk, desk, kMain, [] {});
        EXPECT_TRUE(std::none_of(desk.log.begin(), desk.log.end(),
                                 [](const std::string& e) { return e.rfind("atom", 0) == 0; }))
            << "no atom before the hotkey is first used";
        other.Enable(0, 122);
        other.Disable();
        other.Enable(0, 122);
        EXPECT_EQ(std::count(desk.log.begin(), desk.log.end(), "atom-add:07/12/2026 13:10:00"), 1);
        other.Disable();
    }
    EXPECT_EQ(desk.log.back(), "atom-delete:49153");
}

TEST_F(HotKeyTest, AWindowThatCannotBeListenedToIsReported) {
    desk.hookFails = true;
    Enable();
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text, "error in modHotKey.Hook: access is denied");
    EXPECT_EQ(desk.messages[0].modality, platform::Modality::Application);
}

// The press as the program handles it: grab, then search or index.
class HotKeyPressTest : public fake::FakeTest {
protected:
    HotKeyPressTest() {
        Store("SourceWindow", "Orders");
        Store("AppName", "Claims");
        Store("Field", "Account");
        desk.folders.push_back("C:\\program files\\tamarind\\scripts");
        source = desk.AddWindow("Orders", {"ACME"}).id;
        desk.Find(source)->selection = "12345";
        desk.AddWindow("Document Center");
        app.Start();
        main = app.mainWindow().form().Handle();
    }
    void Press() { ASSERT_TRUE(desk.PressHotKey(main)); }
    Application app{services};
    platform::WindowId main = 0;
    platform::WindowId source = 0;
};

TEST_F(HotKeyPressTest, AHotKeyGrabsThenSearches) {
    Press();
    ASSERT_EQ(desk.started.size(), 1u);
    EXPECT_EQ(desk.started[0].commandLine,
              "\"C:\\program files\\tamarind\\scripts\\halyard.exe\" Index=Claims;Criteria=Account='12345'");
}

TEST_F(HotKeyPressTest, AnEmptyCaptureSaysNoDataFoundAndRunsNothing) {
    desk.Find(source)->selection.clear();
    desk.Find(source)->lines = {""};
    Press();
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text, "no data found");
    EXPECT_EQ(desk.messages[0].modality, platform::Modality::System);
    EXPECT_TRUE(desk.started.empty());
    EXPECT_TRUE(desk.files.empty());
}

TEST_F(HotKeyPressTest, APressArrivingDuringAnotherBringsItsBoxForwardAndRunsNothing) {
    desk.Find(source)->copyDelayMs = 250;
    desk.At(desk.now + 10, [&] { Press(); });
    Press();
    EXPECT_EQ(std::count(desk.log.begin(), desk.log.end(), "raise-message-box"), 1);
    ASSERT_EQ(desk.started.size(), 1u) << "one runner for the two presses";
    EXPECT_NE(desk.started[0].commandLine.find("'12345'"), std::string::npos);
    Press();
    EXPECT_EQ(desk.started.size(), 2u) << "the press after the first one has finished works";
}

TEST_F(HotKeyPressTest, AnErrorIsReported) {
    desk.Find(source)->selection.clear();
    desk.Find(source)->lines = {""};
    desk.onMessage = [](const fake::ShownMessage&) { throw Error("the box failed"); };
    Press();
    desk.onMessage = nullptr;
    ASSERT_EQ(desk.messages.size(), 2u);
    EXPECT_EQ(desk.messages[1].text, "error in modHotKey.WindowProc: the box failed");
    EXPECT_EQ(desk.messages[1].modality, platform::Modality::Application);
}

}  // namespace
}  // namespace kestrel
