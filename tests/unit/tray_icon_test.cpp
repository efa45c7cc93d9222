#include <gtest/gtest.h>

#include "app/tray_icon.h"
#include "fake/fake_fixture.h"

namespace kestrel {
namespace {

constexpr platform::WindowId kOwner = 7;

class TrayIconTest : public fake::FakeTest {
protected:
    std::unique_ptr<TrayIcon> Add() {
        return std::make_unique<TrayIcon>(TrayIcon::Services{desk, desk, desk, desk}, kOwner, "Kestrel", [] {});
    }
    // Lets `ms` of virtual time pass.
    void Wait(int ms) {
        const auto until = desk.now + ms;
        while (desk.now < until) desk.WaitForEvents(100);
    }
    int Attempts() { return static_cast<int>(std::count(desk.log.begin(), desk.log.end(), "tray-add")); }
};

TEST_F(TrayIconTest, AnIconTheShellRefusesIsTriedAgainForAMinuteThenNoMore) {
    struct Row {
        int refusals;
        bool shownInTheEnd;
        int attempts;  // over two minutes
    };
    const Row rows[] = {
        {0, true, 1},
        {1, true, 2},     // taken on the first retry, 5 s later
        {12, true, 13},   // on the last retry, a minute later
        {1000, false, 13},  // given up after a minute
    };
    for (const auto& row : rows) {
        desk.log.clear();
        desk.trayRefusals = row.refusals;
        const auto icon = Add();
        Wait(120000);
        EXPECT_EQ(icon->Shown(), row.shownInTheEnd) << row.refusals << " refusals";
        EXPECT_EQ(Attempts(), row.attempts) << row.refusals << " refusals";
        EXPECT_TRUE(desk.timers.empty()) << "no timer runs once the icon is in, or once given up";
        EXPECT_FALSE(desk.taskVisible);
    }
}

TEST_F(TrayIconTest, ARecreatedAreaGetsTheIconBackRetryingIfNeeded) {
    const auto icon = Add();
    for (int refusals : {0, 3}) {
        desk.log.clear();
        desk.trayRefusals = refusals;
        desk.RecreateNotificationArea();
        Wait(30000);
        EXPECT_TRUE(icon->Shown()) << refusals;
        EXPECT_TRUE(desk.trayIcons.at(kOwner).shown) << refusals;
        EXPECT_EQ(Attempts(), refusals + 1) << refusals;
        EXPECT_TRUE(desk.timers.empty());
    }
}

TEST_F(TrayIconTest, GoingAwayRemovesTheIconAndStopsRetrying) {
    desk.trayRefusals = 1000;
    Add().reset();
    EXPECT_TRUE(desk.trayIcons.empty());
    EXPECT_TRUE(desk.timers.empty());
    Wait(20000);
    EXPECT_EQ(Attempts(), 1) << "nothing tried after it went";
}

}  // namespace
}  // namespace kestrel
