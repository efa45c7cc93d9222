#pragma once
#include <functional>

#include "platform/window_id.h"

namespace kestrel::platform {

// One program per user session.
class Instances {
public:
    virtual ~Instances() = default;
    // True when this is the session's first program. Otherwise the running
    // one has been asked to bring its Settings dialog to the front, and this
    // one should end without a word.
    virtual bool ClaimSession() = 0;
    // From now on a later start's request reaches `onSettingsWanted`.
    virtual void ListenForLaterStarts(WindowId mainWindow, std::function<void()> onSettingsWanted) = 0;
};

}  // namespace kestrel::platform
