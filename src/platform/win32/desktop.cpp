#include "platform/win32/desktop.h"

#include <windows.h>

#include "platform/error.h"
#include "platform/win32/handles.h"
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

// Whether the window's thread takes a message within `ms`.
bool Answers(HWND hwnd, UINT flags, UINT ms) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, flags, ms, &ignored) != 0;
}

// Sharing input with a thread that does not take its messages would make our
// own activation wait on it for ever.
bool AnswersAtOnce(HWND hwnd) { return Answers(hwnd, SMTO_ABORTIFHUNG | SMTO_BLOCK, 100); }

// What the user must see of the window: a window disabled behind a dialog of
// its own is no use in front of it, the dialog is.
HWND FrontMost(HWND hwnd) {
    const HWND popup = GetLastActivePopup(hwnd);
    if (popup && popup != hwnd && IsWindowVisible(popup) && IsWindowEnabled(popup)) return popup;
    return hwnd;
}

}  // namespace

platform::WindowId Desktop::ActivateByTitle(const std::string& title) {
    std::vector<platform::WindowCandidate> windows;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    const auto id = platform::ChooseWindowByTitle(windows, title);
    if (!id) throw Error("no window is titled \"" + title + "\"");
    const HWND titled = ToHwnd(id);
    // Restored before it is fronted when its program answers; else in its own time.
    if (IsIconic(titled)) {
        if (AnswersAtOnce(titled))
            ShowWindow(titled, SW_RESTORE);
        else
            ShowWindowAsync(titled, SW_RESTORE);
    }
    const HWND hwnd = FrontMost(titled);
    // Windows grants the foreground only to the thread that has the user's
    // input; sharing the current foreground thread's input state for the
    // moment of the call lets the change through. A hung foreground thread
    // is left alone: the hotkey's press has given us the right anyway.
    const DWORD self = GetCurrentThreadId();
    const HWND front = GetForegroundWindow();
    const DWORD frontThread = front ? GetWindowThreadProcessId(front, nullptr) : 0;
    const bool attached =
        frontThread && frontThread != self && AnswersAtOnce(front) && AttachThreadInput(self, frontThread, TRUE);
    SetForegroundWindow(hwnd);
    SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_ASYNCWINDOWPOS);
    if (attached) AttachThreadInput(self, frontThread, FALSE);
    return id;
}

platform::WindowId Desktop::ForegroundWindow() { return reinterpret_cast<platform::WindowId>(GetForegroundWindow()); }

// The caption as the system keeps it (no message is sent, so a hung program
// cannot hold us), the class, and the program's file name.
platform::WindowFacts Desktop::Describe(platform::WindowId window) {
    const HWND hwnd = ToHwnd(window);
    platform::WindowFacts facts;
    if (!hwnd) return facts;
    wchar_t text[512];
    int n = GetWindowTextW(hwnd, text, 512);
    facts.title = Narrow(text, static_cast<std::size_t>(n > 0 ? n : 0));
    n = GetClassNameW(hwnd, text, 512);
    facts.className = Narrow(text, static_cast<std::size_t>(n > 0 ? n : 0));
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    KernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    DWORD size = 512;
    if (process && QueryFullProcessImageNameW(process.get(), 0, text, &size)) {
        std::wstring path(text, size);
        facts.program = Narrow(path.substr(path.find_last_of(L"\\/") + 1));
    }
    return facts;
}

bool Desktop::IsInFront(platform::WindowId window) {
    const HWND hwnd = ToHwnd(window);
    const HWND front = GetForegroundWindow();
    if (!front || !hwnd) return false;
    if (front == hwnd) return true;
    DWORD frontProcess = 0, windowProcess = 0;
    GetWindowThreadProcessId(front, &frontProcess);
    GetWindowThreadProcessId(hwnd, &windowProcess);
    return frontProcess == windowProcess && GetAncestor(front, GA_ROOTOWNER) == GetAncestor(hwnd, GA_ROOTOWNER);
}

// Each answer comes from the thread's message loop, which takes queued input
// between our messages. Our own thread must take messages sent to it
// meanwhile (no SMTO_BLOCK): a copy's EmptyClipboard waits on the clipboard's
// owner, which may be us.
bool Desktop::WaitUntilAnswered(platform::WindowId window, int boundMs) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(boundMs > 0 ? boundMs : 0);
    for (int answers = 0; answers < 2; ++answers) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return false;
        if (!Answers(ToHwnd(window), SMTO_ABORTIFHUNG, static_cast<UINT>(deadline - now))) return false;
    }
    return true;
}

void Desktop::BringToFront(platform::WindowId window) { SetForegroundWindow(ToHwnd(window)); }

void Desktop::HideFromTaskList(platform::WindowId window) {
    // A tool window is on neither the task list nor Alt+Tab.
    const HWND hwnd = ToHwnd(window);
    const auto style = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
    SetWindowLongPtrW(hwnd, GWL_EXSTYLE, (style | WS_EX_TOOLWINDOW) & ~static_cast<LONG_PTR>(WS_EX_APPWINDOW));
}

}  // namespace kestrel::win32
