// The smaller services on their own: the tray icon, timers, message boxes.
#include <atomic>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/win32/system_library.h"
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

// An icon's size, and the alpha of its corner and of its middle.
struct Image {
    LONG size = 0;
    int corner = -1, middle = -1;
};
Image ImageOf(HICON icon) {
    ICONINFO info{};
    Image image;
    if (!icon || !GetIconInfo(icon, &info)) return image;
    BITMAP bitmap{};
    GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
    image.size = bitmap.bmWidth;
    std::vector<RGBQUAD> pixels(static_cast<std::size_t>(image.size * image.size));
    BITMAPINFO format{{sizeof(BITMAPINFOHEADER), image.size, -image.size, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    if (GetDIBits(win32::ScreenDc().get(), info.hbmColor, 0, static_cast<UINT>(image.size), pixels.data(), &format,
                  DIB_RGB_COLORS) == image.size)
        image = {image.size, pixels.front().rgbReserved, pixels[pixels.size() / 2 + image.size / 2].rgbReserved};
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return image;
}

TEST_F(SystemWinTest, TheProgramsIconHasAnImageWithAlphaOfEachSizeWindowsAsksFor) {
    const win32::Module program(LoadLibraryExW((ProgramDir() + L"\\kestrel.exe").c_str(), nullptr,
                                               LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    const auto resource = [&](WORD id, LPCWSTR type) {
        const HRSRC found = FindResourceW(program.get(), MAKEINTRESOURCEW(id), type);
        return std::pair{static_cast<BYTE*>(LockResource(LoadResource(program.get(), found))),
                         SizeofResource(program.get(), found)};
    };
    const auto group = resource(1, RT_GROUP_ICON).first;
    ASSERT_NE(group, nullptr);
    for (const int size : {16, 20, 24, 32, 40, 48, 64, 256}) {
        // The image Windows chooses for the size, as it is: none stretched to it.
        const WORD id = static_cast<WORD>(LookupIconIdFromDirectoryEx(group, TRUE, size, size, 0));
        const auto [data, bytes] = resource(id, RT_ICON);
        const win32::Icon icon(CreateIconFromResourceEx(data, bytes, TRUE, 0x00030000, 0, 0, 0));
        const auto image = ImageOf(icon.get());
        EXPECT_EQ(image.size, size);
        EXPECT_EQ(image.corner, 0) << size << ": a disc, clear in the corner";
        EXPECT_EQ(image.middle, 255) << size;
    }
}

// Wine gives a process one DPI for its life: the taskbar's is told here.
TEST_F(SystemWinTest, TheIconIsMadeAgainAtTheShellsSizeWhenTheTaskbarsDpiChanges) {
    const auto window = IconOwner();
    const auto owner = reinterpret_cast<platform::WindowId>(window.get());
    int dpi = 96, recreated = 0;
    win32::NotificationArea area([&] { return dpi; });
    ASSERT_TRUE(area.Add(owner, "Kestrel test", {nullptr, [&] { ++recreated; }}));
    EXPECT_EQ(ImageOf(area.Image(owner)).size, 16);
    // What the owner hears, the taskbar's DPI then, and the shell's small icon there.
    const std::tuple<UINT, int, int> steps[] = {{WM_SETTINGCHANGE, 144, 24}, {WM_DISPLAYCHANGE, 120, 20},
                                                {WM_SETTINGCHANGE, 120, 20}, {WM_DISPLAYCHANGE, 96, 16}};
    for (const auto& [message, newDpi, size] : steps) {
        const HICON before = area.Image(owner);
        const bool changed = std::exchange(dpi, newDpi) != newDpi;
        SendMessageW(window.get(), message, 0, 0);
        EXPECT_EQ(ImageOf(area.Image(owner)).size, size) << newDpi;
        EXPECT_EQ(area.Image(owner) != before, changed) << newDpi << ": made again only for a new DPI";
        EXPECT_TRUE(IconShown(window.get())) << newDpi;
    }
    EXPECT_EQ(recreated, 0) << "the shell took every new image";
}

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
        test::Thread shower([&] {
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
