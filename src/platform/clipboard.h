#pragma once
#include <cstdint>
#include <string>

#include "platform/window_id.h"

namespace kestrel::platform {

class Clipboard {
public:
    virtual ~Clipboard() = default;
    // Both throw ClipboardBusy while another process has the clipboard open.
    virtual void Clear() = 0;
    virtual std::string Text() = 0;  // empty when the clipboard holds no text
    // Leaves the text on the clipboard as a copy would (the program's own copy).
    virtual void SetText(const std::string& text) = 0;
    // Changes whenever the clipboard's content changes.
    virtual std::uint32_t SequenceNumber() = 0;
    // Who put there what the clipboard holds, as seen from `window`: its own
    // program, a program that opened the clipboard without a window (which
    // cannot be told from any other), or another program (this one included).
    enum class Copier { WindowsProgram, NoWindow, AnotherProgram };
    virtual Copier CopiedBy(WindowId window) = 0;
};

}  // namespace kestrel::platform
