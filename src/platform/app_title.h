#pragma once
#include <string>

#include "platform/message_boxes.h"

namespace kestrel {

// The program's own title, which every part uses: the settings store's
// application name, the caption of every message box and of the main window,
// and the tray icon's tip.
inline constexpr const char* kAppTitle = "Kestrel";

// A message box captioned with the application's title.
inline void ShowMessage(platform::MessageBoxes& boxes, const std::string& text, platform::Modality modality) {
    boxes.Show(text, kAppTitle, modality);
}

}  // namespace kestrel
