#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "capture/copy_latencies.h"
#include "capture/terminals.h"
#include "platform/clipboard.h"
#include "platform/consoles.h"
#include "platform/desktop.h"
#include "platform/event_loop.h"
#include "platform/keyboard.h"
#include "platform/list_controls.h"
#include "platform/message_boxes.h"
#include "platform/text_controls.h"

namespace kestrel {

// Takes the text the user means from the source application: brings its
// window to the front and takes the selection (or, with none, the caret's
// line) by the first route that fits it:
// - an edit control is asked, and answers directly;
// - a console is read from its screen buffer (Ctrl+C would interrupt it);
// - a terminal emulator gets its own copy command, or none when it copies as
//   the user selects, and never a line key;
// - any other control gets Ctrl+C typed (with only a caret: Home, Shift+End,
//   Ctrl+C) and the capture reads what the copy left on the clipboard.
// What was read without a copy goes on the clipboard as a copy would leave it.
class TextCapture {
public:
    // How long a copy may take to land on the clipboard. The source
    // application handles the injected Ctrl+C on its own thread some time
    // after the keys are sent (milliseconds when idle, far longer when busy).
    // When nothing is selected the first copy changes nothing at all; until
    // the source's copies have been seen the whole bound is spent before the
    // fallback, so that bound stays short enough not to be felt.
    static constexpr int kFirstCopyBoundMs = 500;
    static constexpr int kLineCopyBoundMs = 1000;
    // Once kCopiesToTrust of a source's copies have been seen (one quick copy
    // says little of a source whose copies vary), a copy that has not landed
    // in twice the longest of them plus this margin is taken for one that
    // changes nothing, provided the source's thread then answers promptly
    // (within kPromptAnswerMs): a thread that answers late was busy, perhaps
    // with the copy itself, and is given that time again. Never beyond the bound.
    static constexpr std::size_t kCopiesToTrust = 3;
    static constexpr int kLearnedMarginMs = 40;
    static constexpr int kPromptAnswerMs = 15;
    // A source whose kept copies (kCopiesToTrust at least) were all on the
    // clipboard by the time its thread answered the probe sent after the keys
    // copies while it handles them: with nothing there at its answer, it is
    // left this long undisturbed to finish what input it still holds, and
    // once its thread answers again promptly the copy is taken for one that
    // changes nothing. Its copies' times do not matter: they are its thread's.
    static constexpr int kSettleMs = 10;
    // Each probe of a thread (Desktop::WaitUntilAnswered) is two answers.
    static constexpr std::size_t kAnswersPerProbe = 2;
    // Windows may refuse a foreground change without saying so; keys must not
    // go to another window, so the capture waits this long to see it happen.
    static constexpr int kActivationBoundMs = 1000;
    // Clipboard managers and remote-desktop clients hold the clipboard open
    // for a moment; longer than this it counts as busy.
    static constexpr int kClipboardRetryMs = 1000;
    // A remote-desktop fault can leave a modifier down for good: after this
    // long the press gives up rather than type Ctrl+Shift+C or wait forever.
    static constexpr int kModifierReleaseBoundMs = 5000;

    struct Services {
        platform::Clipboard& clipboard;
        platform::EventLoop& events;
        platform::Desktop& desktop;
        platform::Keyboard& keyboard;
        platform::MessageBoxes& messageBoxes;
        platform::TextControls& textControls;
        platform::Consoles& consoles;
        platform::ListControls& listControls;
    };

    // How the last capture went, for the log: the window, the route and why
    // it was taken, and how long activation and the capture took.
    struct Report {
        bool windowFound = false;  // false: no window matched the title
        platform::WindowFacts window;
        const char* route = "";  // "asked control", "console", "terminal", "keys"
        std::string why;
        std::int64_t activationMs = 0, captureMs = 0;
    };

    explicit TextCapture(Services services) : s_(services) {}

    // Brings the window titled `title` to the front (none when empty), waits
    // for Ctrl, Shift and Alt to be released, copies and returns the
    // clipboard's text, empty when the copy gave none. Reports its own
    // failures (the window not in front, the clipboard busy, a key held down)
    // and returns nothing then.
    std::optional<std::string> Capture(const std::string& title);
    const Report& report() const { return report_; }

private:
    template <typename Operation>
    auto WithClipboard(Operation operation);
    template <typename Condition>
    bool WaitUntil(int boundMs, Condition done);
    std::string ReadClipboard();
    platform::WindowId Activate(const std::string& title);
    std::string Take(platform::WindowId window);
    std::optional<std::string> AskTheControl(platform::WindowId window);
    std::optional<std::string> ReadTheConsole(platform::WindowId window);
    std::string CopyFromTerminal(platform::WindowId window, const Terminal& terminal);
    std::string CopyWithKeys(platform::WindowId window);
    const char* ModifierDown();  // the name of a modifier held down, or nullptr
    void WaitForModifiers();
    std::string CopyWith(platform::WindowId window, const std::string& keys, int boundMs);

    Services s_;
    CopyLatencies latencies_;
    // The clipboard as the last capture left it: a terminal's copy made
    // before then is not the selection of this press.
    std::optional<std::uint32_t> sequenceAfterLast_;
    Report report_;
};

}  // namespace kestrel
