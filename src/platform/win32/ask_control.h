#pragma once
#include <windows.h>

#include <optional>

namespace kestrel::win32 {

// One question to another program's control, or nothing when it is not
// answered within a second. Not SMTO_BLOCK: a control that asks one of our
// windows something while answering must not stall both programs until the
// bound.
inline std::optional<LRESULT> AskControl(HWND control, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    constexpr UINT kAnswerBoundMs = 1000;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(control, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_ERRORONEXIT, kAnswerBoundMs,
                             &result))
        return std::nullopt;
    return static_cast<LRESULT>(result);
}

}  // namespace kestrel::win32
