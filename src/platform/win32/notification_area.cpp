#include "platform/win32/dispatch.h"
#include "platform/win32/notification_area.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstddef>
#include <cstring>
#include <utility>

#include "platform/error.h"
#include "platform/win32/scale.h"
#include "platform/win32/text.h"

namespace kestrel::win32 {

static_assert(sizeof(void*) != 4 || sizeof(NotifyIconDataV1A) == 88, "the 32-bit record is 88 bytes");
static_assert(sizeof(NotifyIconDataV1A) == NOTIFYICONDATAA_V1_SIZE, "the record is the shell's first version");
static_assert(offsetof(NotifyIconDataV1A, szTip) == offsetof(NOTIFYICONDATAA, szTip), "same layout as the shell's");

namespace {

constexpr UINT_PTR kSubclassId = 2;

HICON WindowIcon(HWND hwnd) {
    auto icon = SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0);
    if (!icon) icon = SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0);
    if (!icon) icon = static_cast<LRESULT>(GetClassLongPtrW(hwnd, GCLP_HICON));
    return reinterpret_cast<HICON>(icon);
}

// The program's icon at the size of the shell's small icons at that DPI;
// null for a program without an icon of its own.
Icon ProgramIconAt(int dpi) {
    return Icon(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON,
                                              dpi::SystemMetric(SM_CXSMICON, dpi),
                                              dpi::SystemMetric(SM_CYSMICON, dpi), 0)));
}

NotifyIconDataV1A Record(HWND owner, const std::string& tip) {
    NotifyIconDataV1A data;
    std::memset(&data, 0, sizeof data);
    data.cbSize = sizeof data;
    data.hWnd = owner;
    data.uID = NotificationArea::kIconId;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = NotificationArea::kCallbackMessage;
    // The tip in the system's code page, its NUL, then blanks; cut so that the
    // NUL always fits, or the shell would read past the field.
    std::memset(data.szTip, ' ', sizeof data.szTip);
    bool lossy = false;
    const auto ansi = ToAnsi(tip, lossy);
    const auto length = ansi.size() < 63 ? ansi.size() : std::size_t{63};
    std::memcpy(data.szTip, ansi.data(), length);
    data.szTip[length] = '\0';
    return data;
}

bool Notify(DWORD message, const NotifyIconDataV1A& record) {
    auto copy = record;
    return Shell_NotifyIconA(message, reinterpret_cast<PNOTIFYICONDATAA>(&copy)) != FALSE;
}

// The shell refuses to add an icon it shows already: that one is shown too.
bool ShowIcon(const NotifyIconDataV1A& record) { return Notify(NIM_ADD, record) || Notify(NIM_MODIFY, record); }

}  // namespace

NotificationArea::NotificationArea()
    : NotificationArea([this] {
          // The taskbar's monitor as it is now: Windows 10 changes a
          // monitor's DPI without a new logon. Older systems have one DPI.
          using ForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
          static constexpr int kEffectiveDpi = 0;
          const HMONITOR monitor = MonitorFromWindow(FindWindowW(L"Shell_TrayWnd", nullptr), MONITOR_DEFAULTTOPRIMARY);
          UINT x = 0, y = 0;
          if (const auto forMonitor = shcore_.Get<ForMonitor>("GetDpiForMonitor"))
              if (SUCCEEDED(forMonitor(monitor, kEffectiveDpi, &x, &y)) && x > 0) return static_cast<int>(x);
          return Scale::OfScreen().dpiX();
      }) {}

NotificationArea::NotificationArea(std::function<int()> taskbarDpi)
    : shcore_(L"shcore.dll"),
      taskbarDpi_(std::move(taskbarDpi)),
      taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")) {}

NotificationArea::~NotificationArea() {
    while (!icons_.empty()) Remove(reinterpret_cast<platform::WindowId>(icons_.begin()->first));
}

bool NotificationArea::Add(platform::WindowId owner, const std::string& tip, Events events) {
    const HWND hwnd = reinterpret_cast<HWND>(owner);
    Remove(owner);
    auto entry = std::make_unique<Entry>(Entry{*this, Record(hwnd, tip), std::move(events), 0, Icon()});
    Fit(hwnd, *entry);
    if (!SetWindowSubclass(hwnd, OwnerProcedure, kSubclassId, reinterpret_cast<DWORD_PTR>(entry.get())))
        throw Error("the notification area cannot report to the window");
    const bool shown = ShowIcon(entry->record);
    icons_[hwnd] = std::move(entry);
    return shown;
}

bool NotificationArea::Show(platform::WindowId owner) {
    const auto found = icons_.find(reinterpret_cast<HWND>(owner));
    if (found == icons_.end()) return false;
    // A shell restarted for a new DPI wants the icon at its size.
    Fit(found->first, *found->second);
    return ShowIcon(found->second->record);
}

void NotificationArea::Remove(platform::WindowId owner) {
    const HWND hwnd = reinterpret_cast<HWND>(owner);
    const auto found = icons_.find(hwnd);
    if (found == icons_.end()) return;
    Notify(NIM_DELETE, found->second->record);
    RemoveWindowSubclass(hwnd, OwnerProcedure, kSubclassId);
    icons_.erase(found);
}

HICON NotificationArea::Image(platform::WindowId owner) const {
    const auto found = icons_.find(reinterpret_cast<HWND>(owner));
    return found == icons_.end() ? nullptr : found->second->record.hIcon;
}

bool NotificationArea::Fit(HWND owner, Entry& entry) {
    const int dpi = taskbarDpi_();
    if (entry.record.hIcon && dpi == entry.dpi) return false;
    entry.dpi = dpi;
    // The shell keeps a copy of what it was given, so the old image may go.
    entry.image = ProgramIconAt(dpi);
    entry.record.hIcon = entry.image ? entry.image.get() : WindowIcon(owner);
    return true;
}

LRESULT CALLBACK NotificationArea::OwnerProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                  DWORD_PTR data) {
    auto* entry = reinterpret_cast<Entry*>(data);
    if (msg == kCallbackMessage) {
        // Only the release of the right button asks for the menu; the pointer
        // passing over the icon and the other buttons do nothing.
        if (wParam == kIconId && LOWORD(lParam) == WM_RBUTTONUP) CallFromDispatch(entry->events.onMenu);
        return 0;
    }
    if (msg == entry->area.taskbarCreated_) {
        // A restarted shell recreates the area empty. The program puts the
        // icon back, and tries again if the new shell is not ready for it yet.
        CallFromDispatch(entry->events.onAreaRecreated);
    } else if (msg == WM_DISPLAYCHANGE || msg == WM_SETTINGCHANGE) {
        // A hidden window hears of no DPI change of its own, but of these
        // when the taskbar's monitor or its scale changes. An icon the shell
        // then refuses is gone, as after a restart of the shell.
        if (entry->area.Fit(hwnd, *entry) && !ShowIcon(entry->record)) CallFromDispatch(entry->events.onAreaRecreated);
    } else if (msg == WM_NCDESTROY) {
        entry->area.Remove(reinterpret_cast<platform::WindowId>(hwnd));
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace kestrel::win32
