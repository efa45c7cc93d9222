#include "platform/win32/control_class.h"

#include "platform/win32/text.h"

namespace kestrel::win32 {

platform::ControlKind KindOfWindow(HWND window, const platform::ControlClasses& classes) {
    wchar_t name[256] = L"", real[256] = L"";
    if (!window || !GetClassNameW(window, name, 256)) return platform::ControlKind::Unknown;
    RealGetWindowClassW(window, real, 256);
    return classes.KindOf(Narrow(name), Narrow(real));
}

}  // namespace kestrel::win32
