#pragma once
#include <windows.h>

#include "platform/text_controls.h"

namespace kestrel::win32 {

// Reads the source's focused edit or rich edit with the messages those
// controls answer for any process, so no key is typed into them.
class TextControls final : public platform::TextControls {
public:
    platform::ControlText ReadFocused(platform::WindowId window, const platform::ControlClasses& classes) override;
    platform::ControlText ReadWhole(platform::WindowId control, platform::ControlKind kind) override;
    // The text a copy would give of `control`, an edit or rich edit by `kind`
    // (a password box is never read); NotAnEdit for any other kind.
    static platform::ControlText Read(HWND control, platform::ControlKind kind);
};

}  // namespace kestrel::win32
