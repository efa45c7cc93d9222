#pragma once
// What the Windows-side tests share: the real services for a test,
// the test source application started and stopped around a test, and a watcher
// that reads and dismisses the program's message boxes as a person would.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "platform/services.h"
#include "support/test_thread.h"
#include "platform/win32/handles.h"
#include "platform/win32/win32_services.h"

namespace kestrel::wintest {

// The folder the test programs were built into.
std::wstring ProgramDir();

// Runs `command_line` and returns at once; the process is ended when the object goes.
class Process {
public:
    explicit Process(const std::wstring& commandLine);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    DWORD id() const { return id_; }
    HANDLE handle() const { return handle_.get(); }

private:
    win32::KernelHandle handle_;
    DWORD id_ = 0;
};

// The test source application, with the window found and ready.
class SourceApp {
public:
    // `args` are the options of the fixture program (see source_app.cpp).
    SourceApp(const std::wstring& title, const std::wstring& args);
    HWND window() const { return window_; }
    HWND edit() const { return edit_; }
    HANDLE process() const { return process_.handle(); }
    std::pair<DWORD, DWORD> Selection() const;

private:
    Process process_;
    HWND window_ = nullptr;
    HWND edit_ = nullptr;
};

// The console fixture (console_app.cpp) in a console window of its own, its
// record on screen and the cursor on the value's line; `args` are its
// further options (see console_app.cpp).
class ConsoleApp {
public:
    explicit ConsoleApp(const std::wstring& title, const std::wstring& args = L"");
    ~ConsoleApp();
    ConsoleApp(const ConsoleApp&) = delete;
    ConsoleApp& operator=(const ConsoleApp&) = delete;
    HWND window() const { return window_; }
    // What the program received, one line each, since it was ready.
    std::string Events() const;

private:
    std::wstring log_;
    Process process_;
    HWND window_ = nullptr;
};

// Dismisses every message box that this process (or the given one) shows,
// keeping their texts.
class MessageBoxWatcher {
public:
    explicit MessageBoxWatcher(DWORD processId = GetCurrentProcessId());
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;
    std::vector<std::string> Texts();
    std::vector<std::string> Captions();

private:
    void Run();
    DWORD processId_;
    std::atomic<bool> stop_{false};
    test::Mutex mutex_;
    std::vector<std::string> texts_, captions_;
    test::Thread thread_;
};

// The stub runner installed where the program looks for halyard, for the
// length of a test; every "Document Center" window is closed afterwards.
class InstalledRunner {
public:
    static constexpr const wchar_t* kFolder = L"C:\\program files\\tamarind\\scripts";
    static constexpr const wchar_t* kProgram = L"C:\\program files\\tamarind\\scripts\\halyard.exe";
    static constexpr const wchar_t* kScript = L"C:\\program files\\tamarind\\scripts\\halyard.sc";
    InstalledRunner();
    ~InstalledRunner();
    InstalledRunner(const InstalledRunner&) = delete;
    InstalledRunner& operator=(const InstalledRunner&) = delete;

    struct Call {
        int windowStyle = 0;
        std::string commandLine;
    };
    // The starts recorded so far by the stub at `program`.
    static std::vector<Call> Calls(const std::wstring& program = kProgram);
    // Waits (pumping) until `count` starts are recorded.
    static std::vector<Call> WaitForCalls(std::size_t count, int ms = 5000);
};

void CloseWindowsTitled(const std::wstring& title);
std::string ReadBytes(const std::wstring& path);
// A path in the temporary folder, with no file there yet.
std::wstring FreshTempFile(const wchar_t* name);
void WriteBytes(const std::wstring& path, const std::string& bytes);

// Presses a key combination ({VK_CONTROL, VK_SHIFT, VK_F11}) with SendInput
// and lets it arrive.
void Chord(const std::vector<WORD>& keys);

// The pointer moved to `at` on the screen, or with `button` (MOUSEEVENTF_LEFTDOWN
// and the like) a button pressed or released there, with SendInput. A move
// comes in two steps, as a hand makes many: Wine may report the position
// before the first one late.
void Mouse(POINT at, DWORD button = 0);
// The middle of the window on the screen.
POINT Middle(HWND window);

// A top-level window of the test's own, with its own class and procedure.
win32::Window TestWindow(const wchar_t* className, WNDPROC procedure, const wchar_t* title, DWORD style,
                         RECT rect = {0, 0, 100, 100});

// How many times slower than a native run the machine is taken to be:
// KESTREL_WAIT_SCALE, which a run under emulation sets. Every bound the tests
// wait for, and every pause they give a thing to happen, is that much longer.
int WaitScale();
inline int Scaled(int ms) { return ms * WaitScale(); }

// Pumps this thread's messages for `ms` milliseconds (scaled).
void Pump(int ms);
// Waits (pumping) until `done` holds or `ms` (scaled) pass; returns whether it held.
template <typename Condition>
bool WaitFor(Condition done, int ms = 5000) {
    const auto deadline = GetTickCount64() + static_cast<ULONGLONG>(Scaled(ms));
    while (!done()) {
        if (GetTickCount64() >= deadline) return false;
        Pump(10);
    }
    return true;
}

// A test with the real services of its own; objects under test are built on
// `services`.
class WinTest : public ::testing::Test {
protected:
    // Consoles are read by the program's own reader, beside this one.
    win32::Win32Services system{ProgramDir() + L"\\kestrel.exe"};
    platform::Services services = system.services();
};

std::string Utf8(const std::wstring& s);

}  // namespace kestrel::wintest
