#include "capture/text_capture.h"

#include <algorithm>

#include "platform/app_title.h"
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
    report_.route = "asked control";
    switch (answer.kind) {
    case platform::ControlText::Kind::Text:
        report_.why = "an edit control has the focus";
        if (!answer.text.empty()) WithClipboard([&](platform::Clipboard& c) { c.SetText(answer.text); });
        return answer.text;
    case platform::ControlText::Kind::Password:
        report_.why = "a password box has the focus, never read";
        return std::string();  // as Ctrl+C gives nothing there
    case platform::ControlText::Kind::NoAnswer:
        report_.why = "the focused control did not answer";
        return std::nullopt;
    default:
        report_.why = "the focused control is no edit control";
        return std::nullopt;
    }
}

namespace {

// A console whose buffer could not be read, and a terminal with nothing to take.
class ConsoleUnreadable : public Error {
public:
    ConsoleUnreadable() : Error("the console could not be read") {}
};
class NothingSelected : public Error {
public:
    explicit NothingSelected(const std::string& terminal) : Error(terminal) {}
};

// A console row as a copy gives it: without the blanks that pad it to the
// buffer's width.
std::string Unpadded(std::string row) {
    const auto end = row.find_last_not_of(std::string(" \0", 2));
    row.erase(end == std::string::npos ? 0 : end + 1);
    return row;
}

}  // namespace

std::optional<std::string> TextCapture::ReadTheConsole(platform::WindowId window) {
    using Kind = platform::ConsoleText::Kind;
    const auto answer = s_.consoles.Read(window);
    if (answer.kind == Kind::NotAConsole) return std::nullopt;
    report_.route = "console";
    report_.why = "a console window";
    if (answer.kind == Kind::Unreadable) throw ConsoleUnreadable();
    report_.why += answer.kind == Kind::Selection ? ", its selection" : ", its cursor's line";
    std::string text;
    for (std::size_t i = 0; i < answer.rows.size(); ++i) text += (i ? "\r\n" : "") + Unpadded(answer.rows[i]);
    if (!text.empty()) WithClipboard([&](platform::Clipboard& c) { c.SetText(text); });
    return text;
}

// A terminal's own copy command copies a selection and, with none, does
// nothing the program in it would take for an interrupt. One that copies as
// the user selects has left its copy on the clipboard already: taken only if
// it came since the last capture, as an older one is not this selection.
std::string TextCapture::CopyFromTerminal(platform::WindowId window, const Terminal& terminal) {
    report_.route = "terminal";
    report_.why = std::string(terminal.name) +
                  (terminal.copyKeys ? ": its own copy command, no Ctrl+C" : ": it copies as the user selects, no key");
    if (!terminal.copyKeys) {
        if (s_.clipboard.SequenceNumber() == sequenceAfterLast_ || !s_.clipboard.CopiedBy(window))
            throw NothingSelected(terminal.name);
        return ReadClipboard();
    }
    WaitForModifiers();
    s_.events.DoEvents();
    auto text = CopyWith(window, terminal.copyKeys, kFirstCopyBoundMs);
    if (text.empty()) throw NothingSelected(terminal.name);
    return text;
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
// one that changes nothing, at the latest after `boundMs`. The source's thread
// is probed at once: whether its copies are there by its answers tells a
// program that copies as it takes the keys from one whose copies arrive
// later (a remote desktop's clipboard), which only time can tell.
std::string TextCapture::CopyWith(platform::WindowId window, const std::string& keys, int boundMs) {
    const auto before = s_.clipboard.SequenceNumber();
    const auto changed = [&] { return s_.clipboard.SequenceNumber() != before; };
    platform::TypeKeystrokes(s_.keyboard, keys);
    s_.events.DoEvents();
    const auto typed = s_.events.NowMs();
    const auto bound = typed + boundMs;
    const auto elapsed = [&] { return static_cast<int>(s_.events.NowMs() - typed); };
    // A thread takes a message sent to it before its queued input, so each
    // of its answers lets it take about one more of the key events: it is
    // asked once for each and twice more, until the copy is there.
    std::size_t events = 0;
    for (const auto& chord : platform::ParseKeystrokes(keys)) events += chord.size();
    bool answered = true;
    for (std::size_t asked = 0; answered && !changed() && asked < events + 2; asked += kAnswersPerProbe)
        answered = s_.desktop.WaitUntilAnswered(window, static_cast<int>(std::max<std::int64_t>(0, bound - s_.events.NowMs())));
    if (changed()) {
        latencies_.Seen(window, elapsed(), true);
        return ReadClipboard();
    }
    const auto answeredAt = s_.events.NowMs();
    const bool lateAnswer = answeredAt - typed > kPromptAnswerMs;
    const bool trusted = latencies_.Kept(window) >= kCopiesToTrust;
    const bool byAnswer = trusted && latencies_.AllByAnswer(window);
    const int waitMs = !trusted ? boundMs : byAnswer ? kSettleMs : 2 * *latencies_.Longest(window) + kLearnedMarginMs;
    // Counted from the keys, or from the answer when the thread was busy
    // meanwhile or its copies are done by its answer.
    // A thread that did not answer (hung, or busy for the whole bound) may
    // still copy within the bound.
    auto giveUpAt = answered ? std::min(bound, (byAnswer || lateAnswer ? answeredAt : typed) + waitMs) : bound;
    for (;;) {
        if (changed()) {
            latencies_.Seen(window, elapsed(), false);
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
        const auto again = s_.events.NowMs();
        if (again - now <= kPromptAnswerMs) {
            if (!changed()) break;
            continue;
        }
        giveUpAt = std::min(bound, again + waitMs);
    }
    return ReadClipboard();
}

std::optional<std::string> TextCapture::Capture(const std::string& title) {
    std::string failure;
    report_ = {};
    const auto started = s_.events.NowMs();
    try {
        auto window = s_.desktop.ForegroundWindow();
        if (!title.empty()) {
            try {
                window = Activate(title);
                report_.activationMs = s_.events.NowMs() - started;
            } catch (const std::exception&) {
                // As on every press, nothing earlier stays on the clipboard
                // to be searched by mistake; the activation's failure is told.
                try {
                    s_.clipboard.Clear();
                } catch (const std::exception&) {
                }
                throw;
            }
            s_.events.DoEvents();
        }
        report_.windowFound = true;
        auto text = Take(window);
        report_.captureMs = s_.events.NowMs() - started - report_.activationMs;
        sequenceAfterLast_ = s_.clipboard.SequenceNumber();
        return text;
    } catch (const ClipboardBusy&) {
        failure = "error: the clipboard is in use by another program. Press the hotkey again in a moment.";
    } catch (const KeyHeldDown& key) {
        failure = std::string("error: the ") + key.what() +
                  " key is still held down. Release it and press the hotkey again.";
    } catch (const ConsoleUnreadable&) {
        failure = "error: the console window could not be read. Press the hotkey again in a moment.";
    } catch (const NothingSelected& terminal) {
        failure = std::string("error: nothing is selected in ") + terminal.what() +
                  ". Select the value there, then press the hotkey again.";
    } catch (const std::exception& e) {
        report_.why = e.what();
        failure = "error activating: '" + title + "' window.";
    }
    report_.captureMs = s_.events.NowMs() - started - report_.activationMs;
    ShowMessage(s_.messageBoxes, failure, platform::Modality::System);
    return std::nullopt;
}

std::string TextCapture::Take(platform::WindowId window) {
    // A terminal that copies as the user selects holds its copy on the
    // clipboard: everything else starts from an empty one.
    report_.window = s_.desktop.Describe(window);
    const auto* terminal = FindTerminal(report_.window.className);
    if (terminal && !terminal->copyKeys) return CopyFromTerminal(window, *terminal);
    WithClipboard([](platform::Clipboard& c) { c.Clear(); });
    s_.events.DoEvents();
    if (auto text = AskTheControl(window)) return *text;
    if (auto text = ReadTheConsole(window)) return *text;
    if (terminal) return CopyFromTerminal(window, *terminal);
    report_.route = "keys";
    report_.why += ", and the window is no console or known terminal";
    return CopyWithKeys(window);
}

}  // namespace kestrel
