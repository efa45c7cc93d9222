#pragma once
#include <string>

namespace kestrel {

// The application's title: the settings store's application name, the caption
// of every message box and of the main window, and the tray icon's tip.
inline constexpr const char* kAppTitle = "Kestrel";

// A message box captioned with the application's title.
int ShowMessage(const std::string& text, int style);

}  // namespace kestrel
