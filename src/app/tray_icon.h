#pragma once
#include <functional>
#include <string>

#include "platform/desktop.h"
#include "platform/notification_area.h"
#include "platform/window_id.h"

namespace kestrel {

// The program's presence in the notification area, for as long as the object
// lives: the owner window's icon with its tip, and the owner off the task
// list. A right click on the icon calls `onMenu`.
class TrayIcon {
public:
    TrayIcon(platform::NotificationArea& area, platform::Desktop& desktop, platform::WindowId owner,
             const std::string& tip, std::function<void()> onMenu);
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

private:
    platform::NotificationArea& area_;
    platform::WindowId owner_;
};

}  // namespace kestrel
