// The smaller services on their own: the tray icon, timers, message boxes.
#include <atomic>
#include <thread>

#include "win/program_support.h"

namespace kestrel::wintest {
namespace {

class SystemWinTest : public WinTest {
protected:
    static win32::Window IconOwner() {
        auto window = TestWindow(L"KestrelTrayTest", DefWindowProcW, L"Kestrel tray test", WS_OVERLAPPED);
        SendMessageW(window.get(), WM_SETICON, ICON_SMALL,
                     reinterpret_cast<LPARAM>(LoadIconW(nullptr, IDI_APPLICATION)));
        return window;
    }
};

TEST_F(SystemWinTest, TheIconTellsOfARecreatedAreaAndIsShownAgainOnlyWhenAsked) {
    const auto window = IconOwner();
    const auto owner = reinterpret_cast<platform::WindowId>(window.get());
    int menus = 0, recreated = 0;
    auto& area = services.notificationArea;
    EXPECT_TRUE(area.Add(owner, "Kestrel test", {[&] { ++menus; }, [&] { ++recreated; }}));
    EXPECT_TRUE(IconShown(window.get()));

    // What a restarted shell does: the area empty, then the broadcast.
    NOTIFYICONDATAW data{};
    data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data.hWnd = window.get();
    data.uID = win32::NotificationArea::kIconId;
    Shell_NotifyIconW(NIM_DELETE, &data);
    SendMessageW(window.get(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_EQ(recreated, 1);
    EXPECT_FALSE(IconShown(window.get())) << "putting it back is the program's to do";
    EXPECT_TRUE(area.Show(owner));
    EXPECT_TRUE(IconShown(window.get()));
    EXPECT_TRUE(area.Show(owner)) << "an icon shown already is shown";

    for (UINT mouse : {WM_MOUSEMOVE, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP})
        SendMessageW(window.get(), win32::NotificationArea::kCallbackMessage, win32::NotificationArea::kIconId, mouse);
    EXPECT_EQ(menus, 1) << "only the right button's release asks for the menu";
    EXPECT_EQ(recreated, 1);

    area.Remove(owner);
    EXPECT_FALSE(IconShown(window.get()));
    EXPECT_FALSE(area.Show(owner)) << "a removed icon is not shown again";
}

TEST_F(SystemWinTest, TimersTickRepeatedlyEachToItsOwnCallbackUntilStopped) {
    auto& timers = services.timers;
    int first = 0, second = 0, once = 0;
    platform::Timers::Id onceId = 0;
    onceId = timers.Start(10, [&] {
        ++once;
        timers.Stop(onceId);
    });
    const auto firstId = timers.Start(10, [&] { ++first; });
    const auto secondId = timers.Start(10, [&] { ++second; });
    ASSERT_TRUE(WaitFor([&] { return first >= 3 && second >= 3; }, 3000)) << first << " " << second;
    timers.Stop(firstId);
    Pump(20);  // a tick queued before the stop
    const int stoppedAt = first, secondBefore = second;
    ASSERT_TRUE(WaitFor([&] { return second >= secondBefore + 3; }, 3000)) << "the other one ticks on";
    EXPECT_EQ(first, stoppedAt) << "a stopped timer ticks no more";
    EXPECT_EQ(once, 1) << "a tick may stop its own timer";
    timers.Stop(secondId);
    timers.Stop(firstId);  // stopped already: nothing happens
    timers.Stop(4711);
}

// The box on a thread of its own, as the program's thread would wait in it;
// the test's thread plays the user.
TEST_F(SystemWinTest, AMessageBoxTakesTheForegroundFromAnotherProgramAndEnterDismissesIt) {
    SourceApp app(L"Orders - ACME", L"--text \"typed here\"");
    struct Row {
        platform::Modality modality;
        bool userWentElsewhere;  // to the other program while the box was open
    };
    const std::vector<Row> rows = {
        {platform::Modality::Application, false},
        {platform::Modality::System, false},
        {platform::Modality::Application, true},
        {platform::Modality::System, true},
    };
    for (const auto& row : rows) {
        const auto line = &row - rows.data();
        SetForegroundWindow(app.window());
        ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == app.window(); }, 2000)) << line;
        std::atomic<bool> dismissed{false};
        std::thread shower([&] {
            services.messageBoxes.Show("no data found", "Kestrel", row.modality);
            dismissed = true;
        });
        HWND box = nullptr;
        WaitFor([&] { return (box = WindowOf(GetCurrentProcessId(), L"Kestrel", L"#32770")) != nullptr; });
        EXPECT_NE(box, nullptr) << line;
        EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == box; }, 1000)) << line;
        if (row.userWentElsewhere) {
            SetForegroundWindow(app.window());
            WaitFor([&] { return GetForegroundWindow() == app.window(); }, 1000);
            services.messageBoxes.BringOpenBoxToFront();
            EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == box; }, 1000)) << line;
        }
        Chord({VK_RETURN});
        EXPECT_TRUE(WaitFor([&] { return dismissed.load(); }, 2000)) << line << ": Enter dismissed the box";
        if (!dismissed && box) PostMessageW(box, WM_COMMAND, IDOK, 0);
        shower.join();
        EXPECT_EQ(TextOf(app.edit()), L"typed here") << line << ": Enter never reached the other program";
    }
}

}  // namespace
}  // namespace kestrel::wintest
