#pragma once
#include <string>

namespace kestrel::modMain {

// How long a copy may take to land on the clipboard. The source application
// handles the injected Ctrl+C on its own thread some time after the keys are
// sent (milliseconds when idle, far longer when busy). When nothing is
// selected the first copy changes nothing at all and the whole bound is spent
// before the fallback, so that bound stays short enough not to be felt.
inline constexpr int kFirstCopyBoundMs = 500;
inline constexpr int kLineCopyBoundMs = 1000;
// Windows may refuse a foreground change without saying so; keys must not go
// to another window, so the capture waits this long to see it happen.
inline constexpr int kActivationBoundMs = 1000;
// Another process may hold the clipboard open for a moment.
inline constexpr int kClipboardRetryMs = 100;

// Brings the window titled `title` to the front (none when empty), waits for
// Ctrl, Shift and Alt to be released, copies the selection or else the caret's
// line, and returns the clipboard's text. Reports its own failures ("error
// activating: '...' window.") and returns empty text then.
std::string GetSourceText(const std::string& title, const std::string& grabType);

}  // namespace kestrel::modMain
