#include "platform/win32/event_loop.h"

#include <windows.h>

#include "platform/win32/form_host.h"

namespace kestrel::win32 {

EventLoop::EventLoop(FormHost& forms) : forms_(forms) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    ticksPerSecond_ = frequency.QuadPart;
}

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

// The performance counter, not the tick count: waits for a copy are judged
// by tens of milliseconds, finer than the tick count's 16.
std::int64_t EventLoop::NowMs() {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    const auto ticks = counter.QuadPart;
    return ticks / ticksPerSecond_ * 1000 + ticks % ticksPerSecond_ * 1000 / ticksPerSecond_;
}

std::int64_t EventLoop::Today() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const auto ticks = (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    // 100 ns ticks from 1601 to 1970: 134774 days.
    return static_cast<std::int64_t>(ticks / 864000000000ull) - 134774;
}

}  // namespace kestrel::win32
