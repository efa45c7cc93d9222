#include "platform/win32/scale.h"

namespace kestrel::win32::dpi {
namespace {

template <typename Function>
Function User32(const char* name) {
    // user32 is one of the system's known DLLs: it is never taken from the program's folder.
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

int SystemDpi() { return Scale::OfScreen().dpiX(); }

}  // namespace

int OfWindow(HWND hwnd) {
    static const auto forWindow = User32<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    if (forWindow && hwnd)
        if (const UINT dpi = forWindow(hwnd)) return static_cast<int>(dpi);
    return SystemDpi();
}

int SystemMetric(int index, int dpi) {
    static const auto forDpi = User32<int(WINAPI*)(int, UINT)>("GetSystemMetricsForDpi");
    if (forDpi) return forDpi(index, static_cast<UINT>(dpi));
    return MulDiv(GetSystemMetrics(index), dpi, SystemDpi());
}

void AdjustFrame(RECT& rect, DWORD style, DWORD exStyle, int dpi) {
    static const auto forDpi = User32<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
    if (forDpi && forDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi))) return;
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

LOGFONTW MessageFont(int dpi) {
    static const auto forDpi = User32<BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT)>("SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (forDpi && forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, static_cast<UINT>(dpi)))
        return metrics.lfMessageFont;
    LOGFONTW font{};
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        font = metrics.lfMessageFont;
    else
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    // The system's metrics are at the DPI it started with.
    font.lfHeight = MulDiv(font.lfHeight, dpi, SystemDpi());
    return font;
}

}  // namespace kestrel::win32::dpi
