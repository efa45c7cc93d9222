#include "platform/win32/message_boxes.h"

#include <windows.h>

#include "platform/win32/text.h"

namespace kestrel::win32 {
namespace {

// The static that holds a message box's text has this id.
constexpr int kTextId = 0xFFFF;

// The topmost visible message box of this process; EnumWindows goes in z-order.
BOOL CALLBACK FindOpenBox(HWND hwnd, LPARAM lParam) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[16] = L"";
    GetClassNameW(hwnd, cls, 16);
    if (pid != GetCurrentProcessId() || lstrcmpW(cls, L"#32770") != 0 || !IsWindowVisible(hwnd) ||
        !GetDlgItem(hwnd, kTextId))
        return TRUE;
    *reinterpret_cast<HWND*>(lParam) = hwnd;
    return FALSE;
}

}  // namespace

void MessageBoxes::Show(const std::string& text, const std::string& caption, platform::Modality modality) {
    // The box takes the foreground even when the user's keys went to another
    // program meanwhile: Enter then dismisses it instead of reaching that one.
    UINT style = MB_OK | MB_SETFOREGROUND;
    if (modality == platform::Modality::System) style |= MB_SYSTEMMODAL | MB_TOPMOST;
    MessageBoxW(nullptr, Widen(text).c_str(), Widen(caption).c_str(), style);
}

void MessageBoxes::BringOpenBoxToFront() {
    HWND box = nullptr;
    EnumWindows(FindOpenBox, reinterpret_cast<LPARAM>(&box));
    if (!box) return;
    SetForegroundWindow(box);
    // The box's thread gives the focus back to its button only once it has
    // handled its activation; called from another thread, the foreground
    // moves at once and a key pressed meanwhile reaches a box with no focus,
    // where Enter does nothing. Its OK button takes the focus now, on that
    // thread, and a hung box holds us no longer than the bound.
    DWORD_PTR ignored = 0;
    if (HWND ok = GetDlgItem(box, IDOK))
        SendMessageTimeoutW(box, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(ok), TRUE, SMTO_ABORTIFHUNG, 500, &ignored);
}

}  // namespace kestrel::win32
