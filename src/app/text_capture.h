#pragma once
#include <string>

#include "platform/clipboard.h"
#include "platform/desktop.h"
#include "platform/event_loop.h"
#include "platform/keyboard.h"
#include "platform/message_boxes.h"

namespace kestrel {

// Takes the text the user means from the source application: brings its
// window to the front, copies the selection (or, with none, the caret's
// line) through the clipboard and returns what the copy left there.
class TextCapture {
public:
    // How long a copy may take to land on the clipboard. The source
    // application handles the injected Ctrl+C on its own thread some time
    // after the keys are sent (milliseconds when idle, far longer when busy).
    // When nothing is selected the first copy changes nothing at all and the
    // whole bound is spent before the fallback, so that bound stays short
    // enough not to be felt.
    static constexpr int kFirstCopyBoundMs = 500;
    static constexpr int kLineCopyBoundMs = 1000;
    // Windows may refuse a foreground change without saying so; keys must not
    // go to another window, so the capture waits this long to see it happen.
    static constexpr int kActivationBoundMs = 1000;
    // Another process may hold the clipboard open for a moment.
    static constexpr int kClipboardRetryMs = 100;

    struct Services {
        platform::Clipboard& clipboard;
        platform::EventLoop& events;
        platform::Desktop& desktop;
        platform::Keyboard& keyboard;
        platform::MessageBoxes& messageBoxes;
    };

    explicit TextCapture(Services services) : s_(services) {}

    // Brings the window titled `title` to the front (none when empty), waits
    // for Ctrl, Shift and Alt to be released, copies and returns the
    // clipboard's text. Reports its own failures ("error activating: '...'
    // window.") and returns empty text then.
    std::string Capture(const std::string& title);

private:
    template <typename Operation>
    auto WithClipboard(Operation operation);
    std::string ReadClipboard();
    void Activate(const std::string& title);
    bool AnyModifierDown();
    std::string CopyWith(const std::string& keys, int boundMs);

    Services s_;
};

}  // namespace kestrel
