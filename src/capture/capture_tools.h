#pragma once
#include <string>

#include "platform/clipboard.h"
#include "platform/error.h"
#include "platform/event_loop.h"

namespace kestrel {

// The clipboard and the clock as every route uses them.
class CaptureTools {
public:
    // Clipboard managers and remote-desktop clients hold the clipboard open
    // for a moment; longer than this it counts as busy.
    static constexpr int kClipboardRetryMs = 1000;

    CaptureTools(platform::Clipboard& clipboard, platform::EventLoop& events) : clipboard_(clipboard), events_(events) {}

    // Runs `operation` on the clipboard, again every 10 ms while another
    // program holds it, until kClipboardRetryMs have passed (ClipboardBusy then).
    template <typename Operation>
    auto WithClipboard(Operation operation) {
        const auto deadline = events_.NowMs() + kClipboardRetryMs;
        for (;;) {
            try {
                return operation(clipboard_);
            } catch (const ClipboardBusy&) {
                if (events_.NowMs() >= deadline) throw;
                events_.WaitForEvents(10);
            }
        }
    }
    std::string ReadClipboard() {
        return WithClipboard([](platform::Clipboard& c) { return c.Text(); });
    }
    // What was read without a copy, left on the clipboard as a copy would
    // leave it; nothing at all when there is nothing.
    void LeaveOnClipboard(const std::string& text) {
        WithClipboard([&](platform::Clipboard& c) { text.empty() ? c.Clear() : c.SetText(text); });
    }

    // Looks every 10 ms, sleeping between looks; false when `boundMs` passed first.
    template <typename Condition>
    bool WaitUntil(int boundMs, Condition done) {
        const auto deadline = events_.NowMs() + boundMs;
        while (!done()) {
            if (events_.NowMs() >= deadline) return false;
            events_.WaitForEvents(10);
        }
        return true;
    }

    platform::Clipboard& clipboard() { return clipboard_; }
    platform::EventLoop& events() { return events_; }

private:
    platform::Clipboard& clipboard_;
    platform::EventLoop& events_;
};

}  // namespace kestrel
