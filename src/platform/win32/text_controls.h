#pragma once
#include "platform/text_controls.h"

namespace kestrel::win32 {

// Reads the source's focused edit or rich edit with the messages those
// controls answer for any process, so no key is typed into them.
class TextControls final : public platform::TextControls {
public:
    platform::ControlText ReadFocused(platform::WindowId window) override;
};

}  // namespace kestrel::win32
