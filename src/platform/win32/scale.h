#pragma once
#include <windows.h>

#include "platform/forms.h"
#include "platform/win32/handles.h"

namespace kestrel::win32 {

// Twips to a monitor's pixels. Every twips value is rounded on its own
// (edges, not sizes), so that neighbouring controls stay neighbours at any DPI.
class Scale {
public:
    // The DPI the system gave the program at its start (the main monitor's).
    static Scale OfScreen() {
        ScreenDc dc;
        Scale s;
        if (dc.get()) {
            s.dpiX_ = GetDeviceCaps(dc.get(), LOGPIXELSX);
            s.dpiY_ = GetDeviceCaps(dc.get(), LOGPIXELSY);
        }
        if (s.dpiX_ <= 0) s.dpiX_ = 96;
        if (s.dpiY_ <= 0) s.dpiY_ = 96;
        return s;
    }
    static Scale OfDpi(int dpi) {
        Scale s;
        s.dpiX_ = s.dpiY_ = dpi > 0 ? dpi : 96;
        return s;
    }

    int dpiX() const { return dpiX_; }
    int dpiY() const { return dpiY_; }
    int X(int twips) const { return MulDiv(twips, dpiX_, 1440); }
    int Y(int twips) const { return MulDiv(twips, dpiY_, 1440); }

private:
    int dpiX_ = 96, dpiY_ = 96;
};

// The per-monitor calls of Windows 10 (1607 and later), looked up in user32
// so that the program still starts on older Windows, which has one DPI for
// every monitor and where each of these falls back to that.
namespace dpi {

// The DPI of the monitor the window is on.
int OfWindow(HWND hwnd);
// GetSystemMetrics at that DPI.
int SystemMetric(int index, int dpi);
// AdjustWindowRectEx at that DPI.
void AdjustFrame(RECT& rect, DWORD style, DWORD exStyle, int dpi);
// The message font at that DPI.
LOGFONTW MessageFont(int dpi);

}  // namespace dpi

}  // namespace kestrel::win32
