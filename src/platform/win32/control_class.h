#pragma once
#include <windows.h>

#include "platform/control_classes.h"

namespace kestrel::win32 {

// What the table makes of the window's class, and of the base class the
// system reports for it (it does for the window manager's own classes only).
platform::ControlKind KindOfWindow(HWND window, const platform::ControlClasses& classes);

}  // namespace kestrel::win32
