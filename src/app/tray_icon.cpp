#include "app/tray_icon.h"

namespace kestrel {

TrayIcon::TrayIcon(platform::NotificationArea& area, platform::Desktop& desktop, platform::WindowId owner,
                   const std::string& tip, std::function<void()> onMenu)
    : area_(area), owner_(owner) {
    area_.Add(owner_, tip, std::move(onMenu));
    desktop.HideFromTaskList(owner_);
}

TrayIcon::~TrayIcon() { area_.Remove(owner_); }

}  // namespace kestrel
