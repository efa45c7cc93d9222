#include "app/tray_icon.h"

namespace kestrel {

TrayIcon::TrayIcon(Services services, platform::WindowId owner, const std::string& tip, std::function<void()> onMenu)
    : s_(services), owner_(owner) {
    platform::NotificationArea::Events events;
    events.onMenu = std::move(onMenu);
    events.onAreaRecreated = [this] { Retry(s_.area.Show(owner_)); };
    Retry(s_.area.Add(owner_, tip, std::move(events)));
    s_.desktop.HideFromTaskList(owner_);
}

TrayIcon::~TrayIcon() {
    StopRetrying();
    s_.area.Remove(owner_);
}

// After an attempt: done when shown, else tried again for a while.
void TrayIcon::Retry(bool shown) {
    shown_ = shown;
    if (shown) {
        StopRetrying();
        return;
    }
    giveUpAt_ = s_.events.NowMs() + kRetryForMs;
    if (retry_) return;
    retry_ = s_.timers.Start(kRetryIntervalMs, [this] {
        shown_ = s_.area.Show(owner_);
        if (shown_ || s_.events.NowMs() >= giveUpAt_) StopRetrying();
    });
}

void TrayIcon::StopRetrying() {
    if (retry_) s_.timers.Stop(*retry_);
    retry_.reset();
}

}  // namespace kestrel
