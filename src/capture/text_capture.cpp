#include "app/text_capture.h"

#include <algorithm>

#include "app/app_title.h"
#include "platform/error.h"
#include "platform/keystrokes.h"

namespace kestrel {

template <typename Operation>
auto TextCapture::WithClipboard(Operation operation) {
    const auto deadline = s_.events.NowMs() + kClipboardRetryMs;
    for (;;) {
        try {
            return operation(s_.clipboard);
        } catch (const ClipboardBusy&) {
            if (s_.events.NowMs() >= deadline) throw;
            s_.events.WaitForEvents(10);
        }
    }
}

std::string TextCapture::ReadClipboard() {
    return WithClipboard([](platform::Clipboard& c) { return c.Text(); });
}

// Looks every 10 ms, sleeping between looks; false when `boundMs` passed first.
template <typename Condition>
bool TextCapture::WaitUntil(int boundMs, Condition done) {
    const auto deadline = s_.events.NowMs() + boundMs;
    while (!done()) {
        if (s_.events.NowMs() >= deadline) return false;
        s_.events.WaitForEvents(10);
    }
    return true;
}

platform::WindowId TextCapture::Activate(const std::string& title) {
    const auto window = s_.desktop.ActivateByTitle(title);
    if (!WaitUntil(kActivationBoundMs, [&] { return s_.desktop.IsInFront(window); }))
        throw Error("the window did not come to the front");
    return window;
}

// An edit control tells its text without a key typed into it: nothing waits
// for the modifiers or for a copy, and the selection stays as it was.
std::optional<std::string> TextCapture::AskTheControl(platform::WindowId window) {
    const auto answer = s_.textControls.ReadFocused(window);
    switch (answer.kind) {
    case platform::ControlText::Kind::Text:
        if (!answer.text.empty()) WithClipboard([&](platform::Clipboard& c) { c.SetText(answer.text); });
        return answer.text;
    case platform::ControlText::Kind::Password:
        return std::string();  // as Ctrl+C gives nothing there
    default:
        return std::nullopt;
    }
}

std::string TextCapture::CopyWithKeys(platform::WindowId window) {
    WaitForModifiers();
    s_.events.DoEvents();
    if (CopyWith(window, "^c", kFirstCopyBoundMs).empty()) CopyWith(window, "{home}+{end}^c", kLineCopyBoundMs);
    return ReadClipboard();
}

namespace {

// A modifier that did not come up in time.
class KeyHeldDown : public Error {
public:
    explicit KeyHeldDown(const std::string& key) : Error(key) {}
};

}  // namespace

const char* TextCapture::ModifierDown() {
    // All three are looked at on every pass, Ctrl first.
    const bool ctrl = s_.keyboard.IsDown(platform::kKeyControl);
    const bool shift = s_.keyboard.IsDown(platform::kKeyShift);
    const bool alt = s_.keyboard.IsDown(platform::kKeyAlt);
    return ctrl ? "Ctrl" : shift ? "Shift" : alt ? "Alt" : nullptr;
}

// The user may still hold the hotkey's modifiers: a Ctrl+C typed now would
// arrive as Ctrl+Shift+C or Alt+C. Sleep between looks so that the source
// application gets the processor it needs for the copy.
void TextCapture::WaitForModifiers() {
    const char* key = nullptr;
    if (!WaitUntil(kModifierReleaseBoundMs, [&] { return (key = ModifierDown()) == nullptr; })) throw KeyHeldDown(key);
}

// Types `keys`, then lets the source application answer: returns with the
// clipboard's text once the clipboard has changed, or the copy is taken for
// one that changes nothing, at the latest after `boundMs`.
std::string TextCapture::CopyWith(platform::WindowId window, const std::string& keys, int boundMs) {
    const auto before = s_.clipboard.SequenceNumber();
    platform::TypeKeystrokes(s_.keyboard, keys);
    s_.events.DoEvents();
    const auto typed = s_.events.NowMs();
    const auto bound = typed + boundMs;
    const auto longest = latencies_.Longest(window);
    const int learnedMs = longest ? 2 * *longest + kLearnedMarginMs : boundMs;
    auto giveUpAt = std::min(bound, typed + learnedMs);
    for (;;) {
        if (s_.clipboard.SequenceNumber() != before) {
            latencies_.Seen(window, static_cast<int>(s_.events.NowMs() - typed));
            break;
        }
        const auto now = s_.events.NowMs();
        if (now >= bound) break;
        if (now < giveUpAt) {
            s_.events.WaitForEvents(static_cast<int>(std::min<std::int64_t>(5, giveUpAt - now)));
            continue;
        }
        // Later than any copy seen from this source: done, unless its thread
        // is busy, when the copy may be what keeps it busy.
        if (!s_.desktop.WaitUntilAnswered(window, static_cast<int>(bound - now))) {
            giveUpAt = bound;
            continue;
        }
        const auto answered = s_.events.NowMs();
        if (answered - now <= kPromptAnswerMs) {
            if (s_.clipboard.SequenceNumber() == before) break;
            continue;
        }
        giveUpAt = std::min(bound, answered + learnedMs);
    }
    return ReadClipboard();
}

std::optional<std::string> TextCapture::Capture(const std::string& title) {
    std::string failure;
    try {
        WithClipboard([](platform::Clipboard& c) { c.Clear(); });
        s_.events.DoEvents();
        auto window = s_.desktop.ForegroundWindow();
        if (!title.empty()) {
            window = Activate(title);
            s_.events.DoEvents();
        }
        if (auto text = AskTheControl(window)) return *text;
        return CopyWithKeys(window);
    } catch (const ClipboardBusy&) {
        failure = "error: the clipboard is in use by another program. Press the hotkey again in a moment.";
    } catch (const KeyHeldDown& key) {
        failure = std::string("error: the ") + key.what() +
                  " key is still held down. Release it and press the hotkey again.";
    } catch (const std::exception&) {
        failure = "error activating: '" + title + "' window.";
    }
    ShowMessage(s_.messageBoxes, failure, platform::Modality::System);
    return std::nullopt;
}

}  // namespace kestrel
