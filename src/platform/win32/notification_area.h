#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <memory>

#include "platform/notification_area.h"

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
class NotificationArea final : public platform::NotificationArea {
public:
    // What the shell sends the owner for its icon: wParam the icon's id,
    // lParam the mouse message.
    static constexpr UINT kCallbackMessage = WM_APP + 1;
    static constexpr UINT kIconId = 1;

    NotificationArea();
    ~NotificationArea() override;
    NotificationArea(const NotificationArea&) = delete;
    NotificationArea& operator=(const NotificationArea&) = delete;

    bool Add(platform::WindowId owner, const std::string& tip, Events events) override;
    bool Show(platform::WindowId owner) override;
    void Remove(platform::WindowId owner) override;

private:
    struct Icon {
        NotificationArea& area;
        NotifyIconDataV1A record;
        Events events;
    };

    static LRESULT CALLBACK OwnerProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                           DWORD_PTR icon);

    const UINT taskbarCreated_;
    std::map<HWND, std::unique_ptr<Icon>> icons_;
};

}  // namespace kestrel::win32
