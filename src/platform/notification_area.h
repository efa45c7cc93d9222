#pragma once
#include <functional>
#include <string>

#include "platform/window_id.h"

namespace kestrel::platform {

// The program's icon in the notification area, one per owner window. The
// platform shows the owner's icon with the tip, puts it back by itself when
// the shell recreates the area, and calls `onMenu` when the user asks for the
// icon's menu (a right click).
class NotificationArea {
public:
    virtual ~NotificationArea() = default;
    virtual void Add(WindowId owner, const std::string& tip, std::function<void()> onMenu) = 0;
    virtual void Remove(WindowId owner) = 0;
};

}  // namespace kestrel::platform
