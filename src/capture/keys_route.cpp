#include "capture/keys_route.h"

#include <algorithm>

#include "platform/keystrokes.h"

namespace kestrel {

std::optional<std::string> KeysRoute::Take(const CaptureTarget& target, std::string& why) {
    if (target.facts.higherRights) {
        why += ", but its program runs as administrator";
        throw CaptureFailure(kHigherRightsMessage);
    }
    tools_.WithClipboard([](platform::Clipboard& c) { c.Clear(); });
    WaitForModifiers();
    tools_.events().DoEvents();
    // The user may have clicked elsewhere while the keys were held.
    if (!desktop_.IsInFront(target.window)) {
        why += ", but it left the front before the keys";
        throw CaptureFailure("error: the source window did not stay in front, so no key was typed. "
                             "Press the hotkey again.");
    }
    copies_ = {};
    // A window of a program seen before is served with what that program showed.
    const CopySource who{target.facts.program, target.facts.className, target.window};
    why += latencies_.Kept(who) >= kCopiesToTrust ? ", its program's copies known" : ", its program's copies not yet known";
    try {
        std::string text;
        if (CopyWith(target.window, who, "^c", kFirstCopyBoundMs)) text = tools_.ReadClipboard();
        // What is on the clipboard now, if anything, is not this window's copy.
        if (text.empty() && CopyWith(target.window, who, "{home}+{end}^c", kLineCopyBoundMs))
            text = tools_.ReadClipboard();
        if (copies_.others) why += ", another program's copy left alone";
        if (copies_.ownerless) why += ", a copy with no owner window taken for the source's";
        return text;
    } catch (const CaptureFailure&) {
        throw;
    } catch (const ClipboardBusy&) {
        why += ", but the clipboard was busy after the keys";
        throw;
    } catch (const Error& e) {
        why += std::string(", but ") + e.what();
        throw CaptureFailure("error: the system did not take all of the keys Kestrel typed into the source window, "
                             "so nothing was copied. Press the hotkey again.");
    }
}

const char* KeysRoute::ModifierDown() {
    // All three are looked at on every pass, Ctrl first.
    const bool ctrl = keyboard_.IsDown(platform::kKeyControl);
    const bool shift = keyboard_.IsDown(platform::kKeyShift);
    const bool alt = keyboard_.IsDown(platform::kKeyAlt);
    return ctrl ? "Ctrl" : shift ? "Shift" : alt ? "Alt" : nullptr;
}

// The user may still hold the hotkey's modifiers: a Ctrl+C typed now would
// arrive as Ctrl+Shift+C or Alt+C. Sleep between looks so that the source
// application gets the processor it needs for the copy.
void KeysRoute::WaitForModifiers() {
    const char* key = nullptr;
    if (!tools_.WaitUntil(kModifierReleaseBoundMs, [&] { return (key = ModifierDown()) == nullptr; }))
        throw CaptureFailure(std::string("error: the ") + key +
                             " key is still held down. Release it and press the hotkey again.");
}

// Types `keys`, then lets the source application answer: done once the
// clipboard has changed, or the copy is taken for one that changes nothing,
// at the latest after `boundMs`. The source's thread is probed at once:
// whether its copies are there by its answers tells a program that copies as
// it takes the keys from one whose copies arrive later (a remote desktop's
// clipboard), which only time can tell.
bool KeysRoute::CopyWith(platform::WindowId window, const CopySource& who, const std::string& keys, int boundMs) {
    auto& events = tools_.events();
    auto& clipboard = tools_.clipboard();
    // Only the source's program's copy counts; one that came with no window
    // may be its own, and refusing it would fail every press in such a program.
    auto before = clipboard.SequenceNumber();
    const auto changed = [&] {
        const auto now = clipboard.SequenceNumber();
        if (now == before) return false;
        const auto copier = clipboard.CopiedBy(window);
        if (copier == platform::Clipboard::Copier::AnotherProgram) {
            copies_.others = true;
            before = now;
            return false;
        }
        copies_.ownerless = copier == platform::Clipboard::Copier::NoWindow;
        return true;
    };
    platform::TypeKeystrokes(keyboard_, keys);
    events.DoEvents();
    const auto typed = events.NowMs();
    const auto bound = typed + boundMs;
    const auto elapsed = [&] { return static_cast<int>(events.NowMs() - typed); };
    // A thread takes a message sent to it before its queued input, so each
    // of its answers lets it take about one more of the key events: it is
    // asked once for each and twice more, until the copy is there.
    std::size_t keyEvents = 0;
    for (const auto& chord : platform::ParseKeystrokes(keys)) keyEvents += chord.size();
    bool answered = true;
    for (std::size_t asked = 0; answered && !changed() && asked < keyEvents + 2; asked += kAnswersPerProbe)
        answered = desktop_.WaitUntilAnswered(window, static_cast<int>(std::max<std::int64_t>(0, bound - events.NowMs())));
    if (changed()) {
        latencies_.Seen(who, elapsed(), true, events.Today());
        return true;
    }
    const auto answeredAt = events.NowMs();
    const bool lateAnswer = answeredAt - typed > kPromptAnswerMs;
    const bool trusted = latencies_.Kept(who) >= kCopiesToTrust;
    const bool byAnswer = trusted && latencies_.AllByAnswer(who);
    const int waitMs = !trusted ? boundMs : byAnswer ? kSettleMs : 2 * *latencies_.Longest(who) + kLearnedMarginMs;
    // Counted from the keys, or from the answer when the thread was busy
    // meanwhile or its copies are done by its answer.
    // A thread that did not answer (hung, or busy for the whole bound) may
    // still copy within the bound.
    auto giveUpAt = answered ? std::min(bound, (byAnswer || lateAnswer ? answeredAt : typed) + waitMs) : bound;
    for (;;) {
        if (changed()) {
            latencies_.Seen(who, elapsed(), false, events.Today());
            return true;
        }
        const auto now = events.NowMs();
        if (now >= bound) return false;
        if (now < giveUpAt) {
            events.WaitForEvents(static_cast<int>(std::min<std::int64_t>(5, giveUpAt - now)));
            continue;
        }
        // Later than any copy seen from this source: done, unless its thread
        // is busy, when the copy may be what keeps it busy.
        if (!desktop_.WaitUntilAnswered(window, static_cast<int>(bound - now))) {
            giveUpAt = bound;
            continue;
        }
        const auto again = events.NowMs();
        if (again - now <= kPromptAnswerMs) {
            if (!changed()) return false;
            continue;
        }
        giveUpAt = std::min(bound, again + waitMs);
    }
}

}  // namespace kestrel
