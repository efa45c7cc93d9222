#pragma once
#include <cstdint>

#include "capture/capture_route.h"
#include "capture/capture_tools.h"
#include "platform/desktop.h"

namespace kestrel {

// Terminal emulators get no key at all: the program in the terminal (over
// SSH the remote one) would take Ctrl+C with nothing selected, and even some
// terminals' own copy chords, as an interrupt, and Home and Shift+End as its
// own keys. The ones in the table copy the selection as the user makes it:
// their copy is taken only if it came since the last press. A terminal is
// known by the class or program of the focused control or of a window it
// lies in, so that one hosted in another program's window counts too.
class TerminalRoute final : public CaptureRoute {
public:
    // `lastPress`: the clipboard's sequence number as the last press (or the
    // program's start) left it.
    TerminalRoute(CaptureTools& tools, platform::Desktop& desktop, const std::uint32_t& lastPress)
        : tools_(tools), desktop_(desktop), lastPress_(lastPress) {}
    const char* name() const override { return "terminal"; }
    std::optional<std::string> Take(const CaptureTarget& target, std::string& why) override;

private:
    CaptureTools& tools_;
    platform::Desktop& desktop_;
    const std::uint32_t& lastPress_;
};

}  // namespace kestrel
