#include "capture/text_capture.h"

#include "capture/window_choice.h"
#include "platform/app_title.h"
#include "platform/error.h"

namespace kestrel {
namespace {

// The window did not come to the front (or none qualified).
class NotActivated : public Error {
public:
    using Error::Error;
};

}  // namespace

TextCapture::TextCapture(Services services)
    : s_(services),
      tools_(services.clipboard, services.events),
      lastPress_(services.clipboard.SequenceNumber()),
      ask_(tools_, services.textControls),
      list_(tools_, services.listControls),
      console_(tools_, services.consoles),
      terminal_(tools_, services.desktop, lastPress_),
      keys_(tools_, services.desktop, services.keyboard),
      fields_(tools_, services.desktop, services.textControls, services.listControls) {}

std::optional<std::string> TextCapture::Capture(const std::string& title, const std::string& column,
                                                const ValueFrom& from) {
    // A title or a field is read where the window is: nothing needs it in front.
    const bool selection = from.place == ValueFrom::Place::Selection;
    return Press(title, column, from, !title.empty() && selection, [&] {
        if (title.empty()) return s_.desktop.ForegroundWindow();
        if (selection) return ActivateByTitle(s_.desktop, title);
        const auto id = ChooseWindowByTitle(s_.desktop.TopLevelWindows(), title);
        if (!id) throw Error("no window is titled \"" + title + "\"");
        return id;
    });
}

std::optional<std::string> TextCapture::CaptureFrom(platform::WindowId window, bool activate, const std::string& title,
                                                    const std::string& column, const ValueFrom& from) {
    activate = activate && from.place == ValueFrom::Place::Selection;
    return Press(title, column, from, activate, [&] {
        if (activate) s_.desktop.Activate(window);
        return window;
    });
}

void TextCapture::NotTaken(const std::string& why, const std::string& message) {
    report_ = {};
    report_.why = why;
    try {
        s_.clipboard.Clear();  // as on every press, nothing earlier stays to be searched
    } catch (const std::exception&) {
    }
    ShowMessage(s_.messageBoxes, message, platform::Modality::System);
}

template <typename Find>
std::optional<std::string> TextCapture::Press(const std::string& title, const std::string& column,
                                              const ValueFrom& from, bool activates, Find find) {
    std::string failure;
    report_ = {};
    const auto started = s_.events.NowMs();
    try {
        platform::WindowId window = 0;
        try {
            window = find();
            if (activates && !tools_.WaitUntil(kActivationBoundMs, [&] { return s_.desktop.IsInFront(window); }))
                throw NotActivated("the window did not come to the front");
        } catch (const Error& e) {
            // As on every press, nothing earlier stays on the clipboard to be
            // searched by mistake; the activation's failure is told.
            try {
                s_.clipboard.Clear();
            } catch (const std::exception&) {
            }
            throw NotActivated(e.what());
        }
        report_.activationMs = s_.events.NowMs() - started;
        if (activates) s_.events.DoEvents();
        report_.windowFound = true;
        auto text = Take(window, title, column, from);
        report_.captureMs = s_.events.NowMs() - started - report_.activationMs;
        lastPress_ = s_.clipboard.SequenceNumber();
        return text;
    } catch (const NotActivated& e) {
        report_.why = e.what();
        failure = "error activating: '" + title + "' window.";
    } catch (const ClipboardBusy&) {
        failure = "error: the clipboard is in use by another program. Press the hotkey again in a moment.";
    } catch (const CaptureFailure& e) {
        failure = e.what();
    } catch (const std::exception& e) {
        report_.why += std::string(", but ") + e.what();
        failure = "error: the value could not be taken from the source window. Press the hotkey again.";
    }
    report_.captureMs = s_.events.NowMs() - started - report_.activationMs;
    lastPress_ = s_.clipboard.SequenceNumber();
    ShowMessage(s_.messageBoxes, failure, platform::Modality::System);
    return std::nullopt;
}

// The first route that takes the window gives the value; the log has its
// name and why, or why none of those before it did.
std::string TextCapture::Take(platform::WindowId window, const std::string& title, const std::string& column,
                              const ValueFrom& from) {
    const CaptureTarget target{window, s_.desktop.Describe(window), column, classes_};
    report_.window = target.facts;
    if (from.place != ValueFrom::Place::Selection) {
        report_.route = from.place == ValueFrom::Place::Title ? "title" : "field";
        return fields_.Take(target, from, title, report_.why);
    }
    std::string passed;
    for (auto* route : routes_) {
        std::string why;
        report_.route = route->name();
        // The last route takes what the others did not: why is why not theirs.
        const auto said = [&] { return route == routes_.back() ? passed + why : why; };
        try {
            if (auto text = route->Take(target, why)) {
                report_.why = said();
                return *text;
            }
        } catch (...) {
            report_.why = said();
            throw;
        }
        passed += (passed.empty() ? "" : ", ") + why;
    }
    return {};  // the keys route takes every window
}

}  // namespace kestrel
