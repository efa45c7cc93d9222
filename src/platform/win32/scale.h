#pragma once
#include <windows.h>

#include "platform/forms.h"
#include "platform/win32/handles.h"

namespace kestrel::win32 {

// Twips to the screen's pixels. Every twips value is rounded on its own
// (edges, not sizes), so that neighbouring controls stay neighbours at any DPI.
class Scale {
public:
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

    int dpiX() const { return dpiX_; }
    int dpiY() const { return dpiY_; }
    int X(int twips) const { return MulDiv(twips, dpiX_, 1440); }
    int Y(int twips) const { return MulDiv(twips, dpiY_, 1440); }

private:
    int dpiX_ = 96, dpiY_ = 96;
};

}  // namespace kestrel::win32
