#include "platform/win32/event_loop.h"

#include <windows.h>

#include "platform/win32/form_host.h"

namespace kestrel::win32 {

void EventLoop::DoEvents() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Not ours to swallow: leave it for the message loop that ends the program.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (forms_.PreTranslateMessage(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void EventLoop::WaitForEvents(int ms) {
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(ms), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    DoEvents();
}

std::int64_t EventLoop::NowMs() { return static_cast<std::int64_t>(GetTickCount64()); }

}  // namespace kestrel::win32
