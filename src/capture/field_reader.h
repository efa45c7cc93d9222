#pragma once
#include <string>

#include "capture/capture_route.h"
#include "capture/capture_tools.h"
#include "capture/value_from.h"
#include "platform/desktop.h"
#include "platform/list_controls.h"
#include "platform/text_controls.h"

namespace kestrel {

// Takes the value from where a source's ValueFrom names it: the window's
// title, or a control inside it read by asking. No key is typed, the focus
// and caret stay where the user left them, and the window need not be in front.
class FieldReader {
public:
    FieldReader(CaptureTools& tools, platform::Desktop& desktop, platform::TextControls& texts,
                platform::ListControls& lists)
        : tools_(tools), desktop_(desktop), texts_(texts), lists_(lists) {}

    // The value, left on the clipboard as a copy would leave it; `why` says
    // for the log where it came from, or why nothing was. Throws
    // CaptureFailure naming the field and the window's title as configured
    // (`title`; empty: the window in front) when it cannot be read: the
    // window's own title may carry a customer's name, and messages are logged.
    std::string Take(const CaptureTarget& target, const ValueFrom& from, const std::string& title, std::string& why);

private:
    // The control `from` names among the window's, 0 when none is.
    platform::WindowId Find(const CaptureTarget& target, const ValueFrom& from, platform::ControlKind& kind);

    CaptureTools& tools_;
    platform::Desktop& desktop_;
    platform::TextControls& texts_;
    platform::ListControls& lists_;
};

}  // namespace kestrel
