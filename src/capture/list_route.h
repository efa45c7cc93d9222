#pragma once
#include "capture/capture_route.h"
#include "capture/capture_tools.h"
#include "platform/list_controls.h"

namespace kestrel {

// The system's list controls are asked for the chosen item: there the line
// keys would move the user's selection, or change a form's choice. A list
// that does not answer is said so, never typed into.
class ListRoute final : public CaptureRoute {
public:
    ListRoute(CaptureTools& tools, platform::ListControls& lists) : tools_(tools), lists_(lists) {}
    const char* name() const override { return "list"; }
    std::optional<std::string> Take(const CaptureTarget& target, std::string& why) override;

private:
    CaptureTools& tools_;
    platform::ListControls& lists_;
};

}  // namespace kestrel
