#pragma once
#include <cstddef>
#include <string>

#include "capture/capture_route.h"
#include "capture/capture_tools.h"
#include "capture/copy_latencies.h"
#include "platform/desktop.h"
#include "platform/keyboard.h"

namespace kestrel {

// Everything no other route takes gets Ctrl+C typed (with only a caret:
// Home, Shift+End, Ctrl+C), and the value is what the copy left on the
// clipboard: nothing when the clipboard did not change after the keys.
class KeysRoute final : public CaptureRoute {
public:
    // What a program that runs with more rights than Kestrel is told: the
    // system keeps our keys and questions from it.
    static constexpr const char* kHigherRightsMessage =
        "error: the source window's program runs as administrator and takes no keys from "
        "Kestrel. Start Kestrel as administrator too, then press the hotkey again.";
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
    // A remote-desktop fault can leave a modifier down for good: after this
    // long the press gives up rather than type Ctrl+Shift+C or wait forever.
    static constexpr int kModifierReleaseBoundMs = 5000;

    KeysRoute(CaptureTools& tools, platform::Desktop& desktop, platform::Keyboard& keyboard)
        : tools_(tools), desktop_(desktop), keyboard_(keyboard) {}
    const char* name() const override { return "keys"; }
    // What the sources' copies have shown, kept by the application across starts.
    CopyLatencies& latencies() { return latencies_; }
    std::optional<std::string> Take(const CaptureTarget& target, std::string& why) override;

private:
    const char* ModifierDown();  // the name of a modifier held down, or nullptr
    void WaitForModifiers();
    // Whether the clipboard changed after `keys`.
    bool CopyWith(platform::WindowId window, const CopySource& who, const std::string& keys, int boundMs);

    CaptureTools& tools_;
    platform::Desktop& desktop_;
    platform::Keyboard& keyboard_;
    CopyLatencies latencies_;
    // What the press's copies were: another program's (never taken), or with no owner window.
    struct {
        bool others = false, ownerless = false;
    } copies_;
};

}  // namespace kestrel
