#include "win/win_support.h"

#include <algorithm>

#include "fixtures/chord.h"

#include "platform/win32/text.h"

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
    // Its main window, whatever class it was given: not its dialog, nor the
    // input method's window Wine gives each thread.
    const std::wstring name = cls;
    if (pid == s.pid && name != L"KestrelTestDialog" && name != L"IME" && !GetWindow(hwnd, GW_OWNER) &&
        FindWindowExW(hwnd, nullptr, nullptr, nullptr))
        s.found = hwnd;
    return s.found ? FALSE : TRUE;
}

struct BoxSearch {
    DWORD pid;
    std::vector<HWND> boxes;
};

BOOL CALLBACK CollectMessageBoxes(HWND hwnd, LPARAM lParam) {
    auto& search = *reinterpret_cast<BoxSearch*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[16];
    GetClassNameW(hwnd, cls, 16);
    if (pid == search.pid && std::wstring(cls) == L"#32770" && IsWindowVisible(hwnd)) search.boxes.push_back(hwnd);
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
    if (WaitForSingleObject(handle_.get(), Scaled(3000)) != WAIT_OBJECT_0) TerminateProcess(handle_.get(), 1);
    WaitForSingleObject(handle_.get(), Scaled(3000));
}

SourceApp::SourceApp(const std::wstring& title, const std::wstring& args)
    : process_(L"\"" + ProgramDir() + L"\\" KESTREL_SOURCE_APP L"\" --title \"" + title + L"\" " + args) {
    const bool ready = WaitFor([&] {
        FindState state{process_.id(), nullptr};
        EnumWindows(FindSourceWindow, reinterpret_cast<LPARAM>(&state));
        window_ = state.found;
        // The text box comes a moment after its window: wait for both.
        edit_ = window_ ? FindWindowExW(window_, nullptr, nullptr, nullptr) : nullptr;
        return edit_ != nullptr;
    });
    if (!ready) throw Error("the test source application did not open its window");
    // Let it finish showing itself before a test starts typing at it.
    WaitForInputIdle(process_.handle(), Scaled(2000));
}

std::wstring FreshTempFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + name;
    DeleteFileW(path.c_str());
    return path;
}

ConsoleApp::ConsoleApp(const std::wstring& title, const std::wstring& args)
    : log_(FreshTempFile(L"kestrel-console.log")),
      process_(L"wineconsole.exe \"" + ProgramDir() + L"\\" KESTREL_CONSOLE_APP L"\" --log \"" + log_ +
               L"\" --title \"" + title + L"\" " + args) {
    if (!WaitFor([&] { return (window_ = FindWindowW(nullptr, title.c_str())) && Events() == "ready\n"; }, 10000))
        throw Error("the console program did not show its record");
}

ConsoleApp::~ConsoleApp() {
    if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
    WaitFor([&] { return !IsWindow(window_); }, 3000);
    DeleteFileW(log_.c_str());
}

std::string ConsoleApp::Events() const { return ReadBytes(log_); }

std::pair<DWORD, DWORD> SourceApp::Selection() const {
    DWORD start = 0, end = 0;
    DWORD_PTR sel = 0;
    SetLastError(0);
    if (!SendMessageTimeoutW(edit_, EM_GETSEL, 0, 0, SMTO_NORMAL, Scaled(2000), &sel)) {
        const auto error = GetLastError();
        DWORD exitCode = 0;
        GetExitCodeProcess(process_.handle(), &exitCode);
        throw Error("the test source application does not answer (error " + std::to_string(error) +
                    (IsWindow(edit_) ? "" : ", its window is gone") +
                    (exitCode == STILL_ACTIVE ? "" : ", it ended with " + std::to_string(exitCode)) + ")");
    }
    start = LOWORD(sel);
    end = HIWORD(sel);
    return {start, end};
}

MessageBoxWatcher::MessageBoxWatcher(DWORD processId) : processId_(processId), thread_([this] { Run(); }) {}

MessageBoxWatcher::~MessageBoxWatcher() {
    stop_ = true;
    thread_.join();
}

std::vector<std::string> MessageBoxWatcher::Texts() {
    test::Lock lock(mutex_);
    return texts_;
}

std::vector<std::string> MessageBoxWatcher::Captions() {
    test::Lock lock(mutex_);
    return captions_;
}

void MessageBoxWatcher::Run() {
    std::vector<HWND> seen;
    while (!stop_) {
        BoxSearch search{processId_, {}};
        EnumWindows(CollectMessageBoxes, reinterpret_cast<LPARAM>(&search));
        for (HWND box : search.boxes) {
            if (std::find(seen.begin(), seen.end(), box) != seen.end()) continue;
            seen.push_back(box);
            wchar_t text[1024] = L"", caption[256] = L"";
            GetDlgItemTextW(box, 0xFFFF, text, 1024);  // a message box's text control
            GetWindowTextW(box, caption, 256);
            {
                test::Lock lock(mutex_);
                texts_.push_back(Utf8(text));
                captions_.push_back(Utf8(caption));
            }
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
        Sleep(20);
    }
}

namespace {

BOOL CALLBACK CloseTitled(HWND hwnd, LPARAM lParam) {
    wchar_t title[256];
    GetWindowTextW(hwnd, title, 256);
    if (*reinterpret_cast<const std::wstring*>(lParam) == title) PostMessageW(hwnd, WM_CLOSE, 0, 0);
    return TRUE;
}

bool AnyWindowTitled(const std::wstring& title) {
    return FindWindowW(nullptr, title.c_str()) != nullptr;
}

}  // namespace

void CloseWindowsTitled(const std::wstring& title) {
    EnumWindows(CloseTitled, reinterpret_cast<LPARAM>(&title));
    WaitFor([&] { return !AnyWindowTitled(title); }, 3000);
}

std::string ReadBytes(const std::wstring& path) {
    std::string bytes;
    if (FILE* f = _wfopen(path.c_str(), L"rb")) {
        char buffer[4096];
        std::size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
        fclose(f);
    }
    return bytes;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(f, nullptr);
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

InstalledRunner::InstalledRunner() {
    CloseWindowsTitled(L"Document Center");
    CreateDirectoryW(L"C:\\program files", nullptr);
    CreateDirectoryW(L"C:\\program files\\tamarind", nullptr);
    CreateDirectoryW(kFolder, nullptr);
    const std::wstring stub = ProgramDir() + L"\\" KESTREL_STUB_RUNNER;
    // A stub whose window just closed may still be running from the file for a moment.
    DWORD error = 0;
    const bool copied = WaitFor(
        [&] {
            if (CopyFileW(stub.c_str(), kProgram, FALSE)) return true;
            error = GetLastError();
            return false;
        },
        1000);
    // One still running from a moment ago is the same program: good enough.
    if (!copied && ReadBytes(stub) != ReadBytes(kProgram))
        throw Error(win32::LastErrorText("cannot install the stub runner", error));
    DeleteFileW((std::wstring(kProgram) + L".log").c_str());
    DeleteFileW((std::wstring(kProgram) + L".start").c_str());
}

// The stub's records go with it: a test may remove the folder.
InstalledRunner::~InstalledRunner() {
    CloseWindowsTitled(L"Document Center");
    DeleteFileW((std::wstring(kProgram) + L".log").c_str());
    DeleteFileW((std::wstring(kProgram) + L".start").c_str());
}

std::vector<InstalledRunner::Call> InstalledRunner::Calls(const std::wstring& program) {
    const auto log = ReadBytes(program + L".log");
    std::vector<Call> calls;
    std::size_t pos = 0;
    for (;;) {
        const auto end = log.find("\x1E\n", pos);
        if (end == std::string::npos) break;
        const auto record = log.substr(pos, end - pos);
        const auto tab = record.find('\t');
        calls.push_back({std::stoi(record.substr(0, tab)), record.substr(tab + 1)});
        pos = end + 2;
    }
    return calls;
}

std::vector<InstalledRunner::Call> InstalledRunner::WaitForCalls(std::size_t count, int ms) {
    WaitFor([&] { return Calls().size() >= count; }, ms);
    return Calls();
}

void Chord(const std::vector<WORD>& keys) {
    ASSERT_TRUE(fixtures::PressChord(keys));
    Pump(50);
}

void Mouse(POINT at, DWORD button) {
    const auto send = [](POINT p, DWORD flags) {
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dx = p.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
        in.mi.dy = p.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
        in.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | flags;
        SendInput(1, &in, sizeof in);
        Pump(50);
    };
    if (!button) send({at.x - 2, at.y - 2}, 0);
    // Wine may put the pointer back where it was a moment before: moved
    // again until it stays, and only then pressed.
    for (int i = 0; i < 20; ++i) {
        POINT now{};
        GetCursorPos(&now);
        if (now.x == at.x && now.y == at.y) break;
        send(at, 0);
    }
    send(at, button);
}

POINT Middle(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

win32::Window TestWindow(const wchar_t* className, WNDPROC procedure, const wchar_t* title, DWORD style, RECT rect) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    RegisterClassW(&wc);
    return win32::Window(CreateWindowExW(0, className, title, style, rect.left, rect.top, rect.right - rect.left,
                                         rect.bottom - rect.top, nullptr, nullptr, wc.hInstance, nullptr));
}

int WaitScale() {
    static const int scale = [] {
        wchar_t text[16] = L"";
        const DWORD n = GetEnvironmentVariableW(L"KESTREL_WAIT_SCALE", text, 16);
        const int value = n > 0 && n < 16 ? _wtoi(text) : 1;
        return value >= 1 && value <= 100 ? value : 1;
    }();
    return scale;
}

void Pump(int ms) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(Scaled(ms)), QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace kestrel::wintest
