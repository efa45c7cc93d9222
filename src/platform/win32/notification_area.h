#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <memory>

#include "platform/notification_area.h"
#include "platform/win32/handles.h"
#include "platform/win32/system_library.h"

namespace kestrel::win32 {

// The shell's first-version ANSI icon record, laid out as Shell_NotifyIconA
// reads it: 88 bytes in the 32-bit build, with a 64-character tip.
struct NotifyIconDataV1A {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    CHAR szTip[64];
};

// Icons in the notification area. The owner window is subclassed: the shell
// reports the icon's mouse messages to it, and broadcasts "TaskbarCreated"
// to every top-level window when it has recreated the area, which the
// owner's events hear (putting the icon back is theirs to do, with Show).
// The icon is the program's at the size the shell draws it at its taskbar's
// DPI, made again when that DPI changes.
class NotificationArea final : public platform::NotificationArea {
public:
    // What the shell sends the owner for its icon: wParam the icon's id,
    // lParam the mouse message.
    static constexpr UINT kCallbackMessage = WM_APP + 1;
    static constexpr UINT kIconId = 1;

    // The shell draws the area at the DPI of its taskbar's monitor.
    NotificationArea();
    // With that DPI told by `taskbarDpi` instead.
    explicit NotificationArea(std::function<int()> taskbarDpi);
    ~NotificationArea() override;
    NotificationArea(const NotificationArea&) = delete;
    NotificationArea& operator=(const NotificationArea&) = delete;

    bool Add(platform::WindowId owner, const std::string& tip, Events events) override;
    bool Show(platform::WindowId owner) override;
    void Remove(platform::WindowId owner) override;

    // The image the shell was last given for the owner's icon; null if none.
    HICON Image(platform::WindowId owner) const;

private:
    struct Entry {
        NotificationArea& area;
        NotifyIconDataV1A record;
        Events events;
        int dpi = 0;  // the taskbar's when the image was made
        Icon image;   // null where the owner window's icon stands in
    };

    // The image at the taskbar's DPI now; true when it had to be made again.
    bool Fit(HWND owner, Entry& entry);

    static LRESULT CALLBACK OwnerProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                           DWORD_PTR entry);

    SystemLibrary shcore_;  // the per-monitor DPI of Windows 8.1 on
    const std::function<int()> taskbarDpi_;
    const UINT taskbarCreated_;
    std::map<HWND, std::unique_ptr<Entry>> icons_;
};

}  // namespace kestrel::win32
