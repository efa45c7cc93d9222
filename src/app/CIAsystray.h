#pragma once
#include "platform/forms.h"
#include "platform/platform.h"

namespace kestrel::CIAsystray {

inline constexpr std::uint32_t kNimAdd = 0;
inline constexpr std::uint32_t kNimDelete = 2;
inline constexpr std::uint32_t kCallbackMessage = 0x200;  // WM_MOUSEMOVE

// Shows the window's icon in the notification area, takes the program off the
// task list and hides the window.
void AddTrayIcon(forms::Form& window);
// Adds the icon again as it was (the shell has recreated the notification area).
void RestoreTrayIcon();
// Removes the icon that AddTrayIcon added; the window is not consulted.
void RemoveTrayIcon(forms::Form& window);
// The record as AddTrayIcon left it.
const platform::TrayIconRecord& Record();

}  // namespace kestrel::CIAsystray
