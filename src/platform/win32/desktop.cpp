#include "platform/win32/desktop.h"

#include <windows.h>

#include <dwmapi.h>  // the declarations only: loaded from the system folder, not linked

#include <algorithm>
#include <optional>

#include "platform/win32/handles.h"
#include "platform/win32/system_library.h"
#include "platform/win32/text.h"

namespace kestrel::win32 {
namespace {

HWND ToHwnd(platform::WindowId window) { return reinterpret_cast<HWND>(window); }

// The caption as the system keeps it, whole (no message is sent, so a hung
// program cannot hold us).
std::wstring Caption(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(std::max(GetWindowTextLengthW(hwnd), 0)) + 1, L'\0');
    for (;;) {
        const int n = GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()));
        if (n < 0 || static_cast<std::size_t>(n) + 1 < text.size()) {
            text.resize(static_cast<std::size_t>(std::max(n, 0)));
            return text;
        }
        text.resize(text.size() * 2);  // it grew meanwhile
    }
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[256];
    const int n = GetClassNameW(hwnd, name, 256);
    return std::wstring(name, static_cast<std::size_t>(n > 0 ? n : 0));
}

// Windows the system keeps from the user without hiding them: on another
// virtual desktop, or of a suspended store app, as the window manager says.
bool Cloaked(HWND hwnd, Desktop::GetWindowAttribute get) {
    DWORD cloaked = 0;
    return get && SUCCEEDED(get(hwnd, DWMWA_CLOAKED, &cloaked, sizeof cloaked)) && cloaked != 0;
}

// The shell's own windows: the desktop, the taskbars.
bool OfTheShell(HWND hwnd) {
    if (hwnd == GetShellWindow()) return true;
    const auto name = ClassOf(hwnd);
    for (const wchar_t* shell : {L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd", L"Progman", L"WorkerW"})
        if (name == shell) return true;
    return false;
}

struct Collected {
    std::vector<platform::WindowCandidate> windows;
    Desktop::GetWindowAttribute getAttribute;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lParam) {
    auto& collected = *reinterpret_cast<Collected*>(lParam);
    auto& windows = collected.windows;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    const bool visible = IsWindowVisible(hwnd) != FALSE;
    windows.push_back({reinterpret_cast<platform::WindowId>(hwnd), visible ? Narrow(Caption(hwnd)) : std::string(),
                       visible, pid == GetCurrentProcessId(), visible && Cloaked(hwnd, collected.getAttribute),
                       visible && OfTheShell(hwnd)});
    return TRUE;
}

// Whether the process runs at a higher integrity level than this one: the
// system then drops the keys this program types into its windows. A token
// this program may not even look at is taken for one.
bool HigherRights(HANDLE process) {
    const auto level = [](HANDLE token) -> std::optional<DWORD> {
        BYTE buffer[64];
        DWORD size = 0;
        if (!GetTokenInformation(token, TokenIntegrityLevel, buffer, sizeof buffer, &size)) return std::nullopt;
        const auto* label = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(buffer);
        const auto count = *GetSidSubAuthorityCount(label->Label.Sid);
        return *GetSidSubAuthority(label->Label.Sid, static_cast<DWORD>(count - 1));
    };
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return false;
    KernelHandle own(raw);
    const auto ours = level(own.get());
    if (!ours) return false;
    if (!OpenProcessToken(process, TOKEN_QUERY, &raw)) return GetLastError() == ERROR_ACCESS_DENIED;
    KernelHandle theirs(raw);
    const auto their = level(theirs.get());
    return their && *their > *ours;
}

KernelHandle ProcessOf(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return KernelHandle(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
}

// The file name of the process's program; empty when it cannot be read.
std::string ProgramName(HANDLE process) {
    wchar_t path[MAX_PATH];
    DWORD size = MAX_PATH;
    if (!process || !QueryFullProcessImageNameW(process, 0, path, &size)) return {};
    const std::wstring full(path, size);
    return Narrow(full.substr(full.find_last_of(L"\\/") + 1));
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

std::vector<platform::WindowCandidate> Desktop::TopLevelWindows() {
    Collected collected{{}, getAttribute_};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&collected));
    return std::move(collected.windows);
}

void Desktop::Activate(platform::WindowId window) {
    const HWND titled = ToHwnd(window);
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
}

platform::WindowId Desktop::ForegroundWindow() { return reinterpret_cast<platform::WindowId>(GetForegroundWindow()); }

// The caption, the class and the program's file name.
platform::WindowFacts Desktop::Describe(platform::WindowId window) {
    const HWND hwnd = ToHwnd(window);
    platform::WindowFacts facts;
    if (!hwnd) return facts;
    facts.title = Narrow(Caption(hwnd));
    facts.className = Narrow(ClassOf(hwnd));
    const auto process = ProcessOf(hwnd);
    facts.program = ProgramName(process.get());
    facts.higherRights = process && HigherRights(process.get());
    return facts;
}

std::vector<platform::ControlFacts> Desktop::FocusPath(platform::WindowId window) {
    const HWND top = ToHwnd(window);
    if (!top) return {};
    // The window's thread shares its focus with the threads of windows hosted in it.
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    HWND at = top;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &gui) && IsChild(top, gui.hwndFocus))
        at = gui.hwndFocus;
    std::vector<platform::ControlFacts> path;
    DWORD lastProcess = 0;
    std::string program;
    for (; at; at = at == top ? nullptr : GetAncestor(at, GA_PARENT)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(at, &pid);
        if (pid != lastProcess) program = ProgramName(ProcessOf(at).get());
        lastProcess = pid;
        path.push_back({reinterpret_cast<platform::WindowId>(at), Narrow(ClassOf(at)), program});
    }
    return path;
}

static BOOL CALLBACK AddDescendant(HWND child, LPARAM into) {
    wchar_t real[256] = L"";
    RealGetWindowClassW(child, real, 256);
    auto& children = *reinterpret_cast<std::vector<platform::ChildWindow>*>(into);
    children.push_back({reinterpret_cast<platform::WindowId>(child), GetDlgCtrlID(child), Narrow(ClassOf(child)),
                        Narrow(real)});
    return TRUE;
}

std::vector<platform::ChildWindow> Desktop::Descendants(platform::WindowId window) {
    std::vector<platform::ChildWindow> children;
    const HWND top = ToHwnd(window);
    if (!top) return children;
    // Class names and IDs are the window manager's: no message reaches the program.
    EnumChildWindows(top, AddDescendant, reinterpret_cast<LPARAM>(&children));
    return children;
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
