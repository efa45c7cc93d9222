#include "platform/win32/desktop.h"

#include <windows.h>

#include "platform/error.h"
#include "platform/win32/text.h"

namespace kestrel::win32 {
namespace {

HWND ToHwnd(platform::WindowId window) { return reinterpret_cast<HWND>(window); }

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lParam) {
    auto& windows = *reinterpret_cast<std::vector<platform::WindowCandidate>*>(lParam);
    wchar_t title[512];
    const int n = GetWindowTextW(hwnd, title, 512);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    windows.push_back({reinterpret_cast<platform::WindowId>(hwnd), Narrow(title, static_cast<std::size_t>(n)),
                       IsWindowVisible(hwnd) != FALSE, pid == GetCurrentProcessId()});
    return TRUE;
}

}  // namespace

platform::WindowId Desktop::ActivateByTitle(const std::string& title) {
    std::vector<platform::WindowCandidate> windows;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    const auto id = platform::ChooseWindowByTitle(windows, title);
    if (!id) throw Error("no window is titled \"" + title + "\"");
    const HWND hwnd = ToHwnd(id);
    if (IsIconic(hwnd)) ShowWindow(hwnd, SW_RESTORE);
    // Windows grants the foreground only to the thread that has the user's
    // input; sharing the current foreground thread's input state for the
    // moment of the call lets the change through.
    const DWORD self = GetCurrentThreadId();
    const HWND front = GetForegroundWindow();
    const DWORD frontThread = front ? GetWindowThreadProcessId(front, nullptr) : 0;
    const bool attached = frontThread && frontThread != self && AttachThreadInput(self, frontThread, TRUE);
    SetForegroundWindow(hwnd);
    BringWindowToTop(hwnd);
    if (attached) AttachThreadInput(self, frontThread, FALSE);
    return id;
}

platform::WindowId Desktop::ForegroundWindow() { return reinterpret_cast<platform::WindowId>(GetForegroundWindow()); }

void Desktop::BringToFront(platform::WindowId window) { SetForegroundWindow(ToHwnd(window)); }

void Desktop::HideFromTaskList(platform::WindowId window) {
    // A tool window is on neither the task list nor Alt+Tab.
    const HWND hwnd = ToHwnd(window);
    const auto style = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
    SetWindowLongPtrW(hwnd, GWL_EXSTYLE, (style | WS_EX_TOOLWINDOW) & ~static_cast<LONG_PTR>(WS_EX_APPWINDOW));
}

}  // namespace kestrel::win32
