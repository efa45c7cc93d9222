#include "app/modMain.h"

#include "app/application.h"
#include "link/clsAppLink.h"
#include "platform/keys.h"
#include "platform/platform.h"

namespace kestrel::modMain {
namespace {

platform::Services& Sys() { return platform::Current(); }

template <typename Operation>
auto WithClipboard(Operation operation) {
    const auto deadline = Sys().messages->NowMs() + kClipboardRetryMs;
    for (;;) {
        try {
            return operation(*Sys().clipboard);
        } catch (const ClipboardBusy&) {
            if (Sys().messages->NowMs() >= deadline) throw;
            Sys().messages->WaitForEvents(10);
        }
    }
}

std::string ReadClipboard() {
    return WithClipboard([](platform::Clipboard& c) { return c.GetText(); });
}

void Activate(const std::string& title) {
    const auto window = Sys().windows->ActivateByTitle(title);
    const auto deadline = Sys().messages->NowMs() + kActivationBoundMs;
    while (Sys().windows->ForegroundWindow() != window) {
        if (Sys().messages->NowMs() >= deadline) throw Error("the window did not come to the front");
        Sys().messages->WaitForEvents(10);
    }
}

bool AnyModifierDown() {
    auto& keyboard = *Sys().keyboard;
    // All three are queried on every pass, Ctrl first.
    const bool ctrl = keyboard.GetAsyncKeyState(platform::kVkControl) != 0;
    const bool shift = keyboard.GetAsyncKeyState(platform::kVkShift) != 0;
    const bool alt = keyboard.GetAsyncKeyState(platform::kVkMenu) != 0;
    return ctrl || shift || alt;
}

// Types `keys`, then lets the source application answer: returns once the
// clipboard has changed or `boundMs` has passed, with the clipboard's text.
std::string CopyWith(const std::string& keys, int boundMs) {
    const auto before = Sys().clipboard->SequenceNumber();
    platform::SendKeys(keys);
    Sys().messages->DoEvents();
    const auto deadline = Sys().messages->NowMs() + boundMs;
    while (Sys().clipboard->SequenceNumber() == before && Sys().messages->NowMs() < deadline)
        Sys().messages->WaitForEvents(5);
    return ReadClipboard();
}

}  // namespace

std::string GetSourceText(const std::string& title, const std::string& grabType) {
    try {
        WithClipboard([](platform::Clipboard& c) { c.Clear(); });
        Sys().messages->DoEvents();
        if (!title.empty()) {
            Activate(title);
            Sys().messages->DoEvents();
        }
        // The user may still hold the hotkey's modifiers: a Ctrl+C typed now
        // would arrive as Ctrl+Shift+C or Alt+C. Sleep between looks so that the
        // source application gets the processor it needs for the copy.
        while (AnyModifierDown()) Sys().messages->WaitForEvents(10);
        Sys().messages->DoEvents();
        if (grabType == "Cursor") {
            if (CopyWith("^c", kFirstCopyBoundMs).empty()) CopyWith("{home}+{end}^c", kLineCopyBoundMs);
        }
        return ReadClipboard();
    } catch (const std::exception&) {
        ShowMessage("error activating: '" + AppLink().oSettings()->SourceAppTitle() + "' window.",
                    platform::kMbSystemModal);
        return {};
    }
}

}  // namespace kestrel::modMain
