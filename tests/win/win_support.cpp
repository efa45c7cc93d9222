#include "win/win_support.h"

#include <algorithm>

#include "platform/win32/text.h"
#include "platform/win32/win32_services.h"

namespace kestrel::wintest {

std::wstring ProgramDir() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, n);
    return dir.substr(0, dir.find_last_of(L"\\/"));
}

std::string Utf8(const std::wstring& s) { return win32::Narrow(s); }

namespace {

struct FindState {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK CloseWindowsOf(HWND hwnd, LPARAM lParam) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == static_cast<DWORD>(lParam)) PostMessageW(hwnd, WM_CLOSE, 0, 0);
    return TRUE;
}

BOOL CALLBACK FindSourceWindow(HWND hwnd, LPARAM lParam) {
    auto& s = *reinterpret_cast<FindState*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[64];
    GetClassNameW(hwnd, cls, 64);
    if (pid == s.pid && std::wstring(cls) == L"KestrelTestSource") s.found = hwnd;
    return s.found ? FALSE : TRUE;
}

BOOL CALLBACK CollectMessageBoxes(HWND hwnd, LPARAM lParam) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[16];
    GetClassNameW(hwnd, cls, 16);
    if (pid == GetCurrentProcessId() && std::wstring(cls) == L"#32770" && IsWindowVisible(hwnd))
        reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hwnd);
    return TRUE;
}

}  // namespace

Process::Process(const std::wstring& commandLine) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring line = commandLine;
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        throw Error(win32::LastErrorText("cannot start " + Utf8(commandLine), GetLastError()));
    CloseHandle(pi.hThread);
    *handle_.receive() = pi.hProcess;
    id_ = pi.dwProcessId;
}

Process::~Process() {
    if (!handle_) return;
    // Ask its windows to close first, so that it leaves the desktop tidy.
    EnumWindows(CloseWindowsOf, static_cast<LPARAM>(id_));
    if (WaitForSingleObject(handle_.get(), 3000) != WAIT_OBJECT_0) TerminateProcess(handle_.get(), 1);
    WaitForSingleObject(handle_.get(), 3000);
}

SourceApp::SourceApp(const std::wstring& title, const std::wstring& args)
    : process_(L"\"" + ProgramDir() + L"\\" KESTREL_SOURCE_APP L"\" --title \"" + title + L"\" " + args) {
    const bool ready = WaitFor([&] {
        FindState state{process_.id(), nullptr};
        EnumWindows(FindSourceWindow, reinterpret_cast<LPARAM>(&state));
        window_ = state.found;
        return window_ != nullptr;
    });
    if (!ready) throw Error("the test source application did not open its window");
    edit_ = FindWindowExW(window_, nullptr, L"EDIT", nullptr);
    // Let it finish showing itself before a test starts typing at it.
    WaitForInputIdle(process_.handle(), 2000);
}

std::pair<DWORD, DWORD> SourceApp::Selection() const {
    DWORD start = 0, end = 0;
    DWORD_PTR sel = 0;
    SetLastError(0);
    if (!SendMessageTimeoutW(edit_, EM_GETSEL, 0, 0, SMTO_NORMAL, 2000, &sel))
        throw Error("the test source application does not answer: " + std::to_string(GetLastError()) + " window " + std::to_string(IsWindow(edit_)));
    start = LOWORD(sel);
    end = HIWORD(sel);
    return {start, end};
}

MessageBoxWatcher::MessageBoxWatcher() : thread_([this] { Run(); }) {}

MessageBoxWatcher::~MessageBoxWatcher() {
    stop_ = true;
    thread_.join();
}

std::vector<std::string> MessageBoxWatcher::Texts() {
    std::lock_guard lock(mutex_);
    return texts_;
}

std::vector<std::string> MessageBoxWatcher::Captions() {
    std::lock_guard lock(mutex_);
    return captions_;
}

void MessageBoxWatcher::Run() {
    std::vector<HWND> seen;
    while (!stop_) {
        std::vector<HWND> boxes;
        EnumWindows(CollectMessageBoxes, reinterpret_cast<LPARAM>(&boxes));
        for (HWND box : boxes) {
            if (std::find(seen.begin(), seen.end(), box) != seen.end()) continue;
            seen.push_back(box);
            wchar_t text[1024] = L"", caption[256] = L"";
            GetDlgItemTextW(box, 0xFFFF, text, 1024);  // a message box's text control
            GetWindowTextW(box, caption, 256);
            {
                std::lock_guard lock(mutex_);
                texts_.push_back(Utf8(text));
                captions_.push_back(Utf8(caption));
            }
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
        Sleep(20);
    }
}

void Pump(int ms) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(ms), QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

WinTest::WinTest() : scope_(win32::RealServices()) { ResetAppLink(); }
WinTest::~WinTest() { ResetAppLink(); }

}  // namespace kestrel::wintest
