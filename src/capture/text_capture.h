#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "capture/ask_route.h"
#include "capture/capture_tools.h"
#include "capture/console_route.h"
#include "capture/field_reader.h"
#include "capture/keys_route.h"
#include "capture/list_route.h"
#include "capture/terminal_route.h"
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
// line) by the first route that fits it, in the order of `routes_`. What was
// read without a copy goes on the clipboard as a copy would leave it.
class TextCapture {
public:
    // Windows may refuse a foreground change without saying so; keys must not
    // go to another window, so the capture waits this long to see it happen.
    static constexpr int kActivationBoundMs = 1000;

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
        const char* route = "";  // "asked control", "list", "console", "terminal", "keys", "title", "field"
        std::string why;
        std::int64_t activationMs = 0, captureMs = 0;
    };

    explicit TextCapture(Services services);

    // Brings the window `title` finds to the front (none when empty: the
    // window in front) and returns the value taken from it, empty when there
    // was none. `column` names the list column to take. Reports its own
    // failures (the window not in front, the clipboard busy, a key held down,
    // a console or list that cannot be read) and returns nothing then.
    // A source whose `from` is its title or a control takes that instead,
    // with the window left where it is: nothing is typed into it.
    std::optional<std::string> Capture(const std::string& title, const std::string& column = {},
                                       const ValueFrom& from = {});
    // The same for a window already chosen: brought to the front first when
    // `activate` (and the value is the selection); `title` is what found it,
    // for the messages.
    std::optional<std::string> CaptureFrom(platform::WindowId window, bool activate, const std::string& title,
                                           const std::string& column = {}, const ValueFrom& from = {});
    // A press that found no window to take the value from: said in `message`.
    void NoWindow(const std::string& message) { NotTaken("no source's title finds a window", message); }
    // A press that takes nothing, for the log's `why`: said in `message`.
    void NotTaken(const std::string& why, const std::string& message);
    // The value the press searches, left on the clipboard in place of what was taken.
    void LeaveOnClipboard(const std::string& value) { tools_.LeaveOnClipboard(value); }
    const Report& report() const { return report_; }
    // The classes the administrator added; the built-in ones are always known.
    void SetControlClasses(platform::ControlClasses classes) { classes_ = std::move(classes); }
    // What the keys route learned of the sources' copies.
    CopyLatencies& copyLatencies() { return keys_.latencies(); }

private:
    // `find` brings the window to the front when `activates`, and returns it.
    template <typename Find>
    std::optional<std::string> Press(const std::string& title, const std::string& column, const ValueFrom& from,
                                     bool activates, Find find);
    std::string Take(platform::WindowId window, const std::string& title, const std::string& column,
                     const ValueFrom& from);

    Services s_;
    CaptureTools tools_;
    platform::ControlClasses classes_;
    // The clipboard as the last press (or the start) left it: a terminal's
    // copy made before then is not the selection of this press.
    std::uint32_t lastPress_;
    AskRoute ask_;
    ListRoute list_;
    ConsoleRoute console_;
    TerminalRoute terminal_;
    KeysRoute keys_;
    FieldReader fields_;
    // The order the routes are tried in: controls that answer, consoles read
    // from their buffer, terminals that copy as the user selects, and only
    // then keys.
    const std::array<CaptureRoute*, 5> routes_{&ask_, &list_, &console_, &terminal_, &keys_};
    Report report_;
};

}  // namespace kestrel
