#pragma once
#include <functional>
#include <string>

#include "platform/window_id.h"

namespace kestrel::platform {

// The program's icon in the notification area, one per owner window: the
// owner's icon with the tip.
class NotificationArea {
public:
    struct Events {
        std::function<void()> onMenu;  // the user asks for the icon's menu (a right click)
        // The shell has recreated the area (Explorer restarted): the icon is gone.
        std::function<void()> onAreaRecreated;
    };

    virtual ~NotificationArea() = default;
    // From now on the owner hears the icon's events. Shows the icon; false
    // when the shell refused it (it may still be starting), to be tried
    // again with Show.
    virtual bool Add(WindowId owner, const std::string& tip, Events events) = 0;
    virtual bool Show(WindowId owner) = 0;  // the icon as Add described it
    virtual void Remove(WindowId owner) = 0;
};

}  // namespace kestrel::platform
