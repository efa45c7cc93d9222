#pragma once
#include <functional>
#include <string>

#include "platform/window_id.h"

namespace kestrel::platform {

// Hears that the settings may have changed outside the dialogs: Group Policy
// was refreshed, or something wrote under the program's key of the per-user
// store (the program's own writes too). Only that something may have
// changed, never what.
class SettingsChanges {
public:
    virtual ~SettingsChanges() = default;
    // From now on each change reaches `onChanged` through the window's
    // messages, on its thread; the store of `app` is watched. Throws Error.
    virtual void Listen(WindowId mainWindow, const std::string& app, std::function<void()> onChanged) = 0;
};

}  // namespace kestrel::platform
