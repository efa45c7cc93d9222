#pragma once
#include <optional>
#include <string>

#include "platform/control_classes.h"
#include "platform/desktop.h"
#include "platform/error.h"

namespace kestrel {

// A failure of a press told to the user in these words (what()).
class CaptureFailure : public Error {
public:
    using Error::Error;
};

// The window a press takes the value from, as the routes see it.
struct CaptureTarget {
    platform::WindowId window = 0;
    platform::WindowFacts facts;
    std::string column;  // the list column the source names; empty: the first
    const platform::ControlClasses& classes;  // what its controls are
};

// One way of taking the selection (or the caret's line) from a window.
class CaptureRoute {
public:
    virtual ~CaptureRoute() = default;
    // As the log names it.
    virtual const char* name() const = 0;
    // The value when this route is the one for the window, with `why` saying
    // what made it so; nothing when it is not (`why` then says why not, and
    // the next route is tried). Throws CaptureFailure for what the user must
    // be told, and Error for anything else that went wrong.
    virtual std::optional<std::string> Take(const CaptureTarget& target, std::string& why) = 0;
};

}  // namespace kestrel
