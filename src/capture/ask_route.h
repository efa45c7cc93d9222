#pragma once
#include "capture/capture_route.h"
#include "capture/capture_tools.h"
#include "platform/text_controls.h"

namespace kestrel {

// An edit control tells its text without a key typed into it: nothing waits
// for the modifiers or for a copy, and the selection stays as it was.
class AskRoute final : public CaptureRoute {
public:
    AskRoute(CaptureTools& tools, platform::TextControls& controls) : tools_(tools), controls_(controls) {}
    const char* name() const override { return "asked control"; }
    std::optional<std::string> Take(const CaptureTarget& target, std::string& why) override;

private:
    CaptureTools& tools_;
    platform::TextControls& controls_;
};

}  // namespace kestrel
