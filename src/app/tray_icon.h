#pragma once
#include <functional>
#include <optional>
#include <string>

#include "platform/desktop.h"
#include "platform/event_loop.h"
#include "platform/notification_area.h"
#include "platform/timers.h"
#include "platform/window_id.h"

namespace kestrel {

// The program's presence in the notification area, for as long as the object
// lives: the owner window's icon with its tip, and the owner off the task
// list. A right click on the icon calls `onMenu`. At logon the shell may
// still be starting and refuse the icon: it is tried again every few seconds
// for a while, and again whenever the shell recreates the area.
class TrayIcon {
public:
    static constexpr int kRetryIntervalMs = 5000;
    static constexpr int kRetryForMs = 60000;

    struct Services {
        platform::NotificationArea& area;
        platform::Desktop& desktop;
        platform::Timers& timers;
        platform::EventLoop& events;
    };

    TrayIcon(Services services, platform::WindowId owner, const std::string& tip, std::function<void()> onMenu);
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    bool Shown() const { return shown_; }

private:
    void Retry(bool shown);
    void StopRetrying();

    Services s_;
    platform::WindowId owner_;
    bool shown_ = false;
    std::optional<platform::Timers::Id> retry_;
    std::int64_t giveUpAt_ = 0;
};

}  // namespace kestrel
