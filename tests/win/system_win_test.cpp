// The smaller services on their own: the tray icon, timers, message boxes.
#include <atomic>
#include <thread>
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

// An icon's image, 32 bits a pixel top-down as BGRA; empty if it has none.
std::vector<RGBQUAD> Pixels(HICON icon, SIZE& size) {
    ICONINFO info{};
    size = {0, 0};
    if (!icon || !GetIconInfo(icon, &info)) return {};
    BITMAP image{};
    GetObjectW(info.hbmColor, sizeof image, &image);
    size = {image.bmWidth, image.bmHeight};
    std::vector<RGBQUAD> pixels(static_cast<std::size_t>(size.cx * size.cy));
    BITMAPINFO format{};
    format.bmiHeader = {sizeof(BITMAPINFOHEADER), size.cx, -size.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    const win32::ScreenDc dc;
    if (GetDIBits(dc.get(), info.hbmColor, 0, static_cast<UINT>(size.cy), pixels.data(), &format, DIB_RGB_COLORS) !=
        size.cy)
        pixels.clear();
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return pixels;
}

TEST_F(SystemWinTest, EveryImageOfTheProgramsIconLoadsAtItsOwnSizeAsPngWithAlpha) {
    const win32::Module program(LoadLibraryExW((ProgramDir() + L"\\kestrel.exe").c_str(), nullptr,
                                               LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    ASSERT_TRUE(program);
    const auto resource = [&](WORD id, LPCWSTR type) {
        const HRSRC found = FindResourceW(program.get(), MAKEINTRESOURCEW(id), type);
        BYTE* const data = found ? static_cast<BYTE*>(LockResource(LoadResource(program.get(), found))) : nullptr;
        return std::pair{data, data ? SizeofResource(program.get(), found) : 0};
    };
    // The group: a 6-byte header with the count at 4, then 14 bytes an
    // image, its width first (0 for 256) and its resource id last.
    const auto [group, groupBytes] = resource(1, RT_GROUP_ICON);
    ASSERT_GE(groupBytes, 6u);
    const WORD count = *reinterpret_cast<const WORD*>(group + 4);
    ASSERT_EQ(groupBytes, 6u + 14u * count);
    std::vector<int> sizes;
    for (WORD i = 0; i < count; ++i) {
        const BYTE* entry = group + 6 + 14 * i;
        const int width = entry[0] ? entry[0] : 256;
        sizes.push_back(width);
        const auto [data, bytes] = resource(*reinterpret_cast<const WORD*>(entry + 12), RT_ICON);
        ASSERT_GE(bytes, 8u) << width;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), 8), std::string("\x89PNG\r\n\x1a\n", 8)) << width;
        const win32::Icon icon(CreateIconFromResourceEx(data, bytes, TRUE, 0x00030000, width, width, 0));
        SIZE size{};
        const auto pixels = Pixels(icon.get(), size);
        ASSERT_EQ(size.cx, width) << "the image loads at its own size";
        ASSERT_EQ(size.cy, width);
        ASSERT_FALSE(pixels.empty()) << width;
        // A disc: transparent in the corner, opaque in the middle.
        EXPECT_EQ(pixels.front().rgbReserved, 0) << width;
        EXPECT_EQ(pixels[static_cast<std::size_t>(width / 2 * width + width / 2)].rgbReserved, 255) << width;
    }
    EXPECT_EQ(sizes, (std::vector<int>{16, 20, 24, 32, 40, 48, 64, 256}));
}

// Wine gives a process one DPI for its life: the taskbar's is told here.
TEST_F(SystemWinTest, TheIconIsMadeAgainAtTheShellsSizeWhenTheTaskbarsDpiChanges) {
    const auto window = IconOwner();
    const auto owner = reinterpret_cast<platform::WindowId>(window.get());
    int dpi = 96, recreated = 0;
    win32::NotificationArea area([&] { return dpi; });
    ASSERT_TRUE(area.Add(owner, "Kestrel test", {nullptr, [&] { ++recreated; }}));
    const auto width = [&] {
        SIZE size{};
        Pixels(area.Image(owner), size);
        return size.cx;
    };
    EXPECT_EQ(width(), 16);
    struct Row {
        int dpi;
        UINT message;      // what the owner hears
        bool shellLostIt;  // the icon gone from the area before
        int width;
    };
    const std::vector<Row> rows = {
        {144, WM_SETTINGCHANGE, false, 24}, {120, WM_DISPLAYCHANGE, false, 20}, {120, WM_SETTINGCHANGE, false, 20},
        {192, WM_DPICHANGED, false, 32},    {96, WM_DISPLAYCHANGE, true, 16},
    };
    for (const auto& row : rows) {
        const auto line = &row - rows.data();
        const HICON before = area.Image(owner);
        const bool changed = row.dpi != dpi;
        if (row.shellLostIt) {
            NOTIFYICONDATAW data{};
            data.cbSize = NOTIFYICONDATAW_V1_SIZE;
            data.hWnd = window.get();
            data.uID = win32::NotificationArea::kIconId;
            Shell_NotifyIconW(NIM_DELETE, &data);
        }
        dpi = row.dpi;
        RECT suggested{0, 0, 100, 100};
        const bool dpiChanged = row.message == WM_DPICHANGED;
        SendMessageW(window.get(), row.message, dpiChanged ? MAKEWPARAM(dpi, dpi) : 0,
                     dpiChanged ? reinterpret_cast<LPARAM>(&suggested) : 0);
        EXPECT_EQ(width(), row.width) << line;
        EXPECT_EQ(area.Image(owner) != before, changed) << line << ": made again only for a new DPI";
        EXPECT_TRUE(IconShown(window.get())) << line;
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
