#pragma once
#include "capture/capture_route.h"
#include "capture/capture_tools.h"
#include "platform/consoles.h"

namespace kestrel {

// A console is read from its screen buffer: there Ctrl+C is an interrupt
// that ends the program at work, not a copy, so no key is ever typed into
// one, not even when it cannot be read.
class ConsoleRoute final : public CaptureRoute {
public:
    ConsoleRoute(CaptureTools& tools, platform::Consoles& consoles) : tools_(tools), consoles_(consoles) {}
    const char* name() const override { return "console"; }
    std::optional<std::string> Take(const CaptureTarget& target, std::string& why) override;

private:
    CaptureTools& tools_;
    platform::Consoles& consoles_;
};

}  // namespace kestrel
