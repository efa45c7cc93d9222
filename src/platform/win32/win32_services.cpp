#include "platform/win32/win32_services.h"

#include <windows.h>

#include <cwchar>

#include "platform/win32/forms_win32.h"
#include "platform/win32/handles.h"
#include "platform/win32/shell_win32.h"
#include "platform/win32/text.h"

namespace kestrel::win32 {

// SendInput is handed an array of these; the sizes are part of its contract.
static_assert(sizeof(INPUT) == (sizeof(void*) == 8 ? 40 : 28), "INPUT has the size SendInput expects");
static_assert(sizeof(KEYBDINPUT) == (sizeof(void*) == 8 ? 24 : 16), "KEYBDINPUT layout");

ClipboardOpen::ClipboardOpen() {
    if (!OpenClipboard(nullptr)) throw ClipboardBusy();
}

namespace {

// Settings kept per user by application and section, where programs of this
// kind have always kept them, so that an earlier install's settings are found.
class RegistryStore final : public platform::SettingsStore {
public:
    std::string GetSetting(const std::string& app, const std::string& section, const std::string& key,
                           const std::string& fallback) override {
        RegKey k;
        LONG rc = RegOpenKeyExW(HKEY_CURRENT_USER, KeyPath(app, section).c_str(), 0, KEY_QUERY_VALUE, k.receive());
        if (rc == ERROR_FILE_NOT_FOUND) return fallback;
        if (rc != ERROR_SUCCESS) throw Error(LastErrorText("cannot open the settings of " + app, rc));
        const auto name = Widen(key);
        DWORD type = 0, size = 0;
        rc = RegQueryValueExW(k.get(), name.c_str(), nullptr, &type, nullptr, &size);
        if (rc == ERROR_FILE_NOT_FOUND) return fallback;
        if (rc != ERROR_SUCCESS) throw Error(LastErrorText("cannot read the setting \"" + key + "\"", rc));
        if (type != REG_SZ && type != REG_EXPAND_SZ) throw Error("the setting \"" + key + "\" is not text");
        std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
        rc = RegQueryValueExW(k.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
        if (rc != ERROR_SUCCESS) throw Error(LastErrorText("cannot read the setting \"" + key + "\"", rc));
        data.resize(size / sizeof(wchar_t));
        while (!data.empty() && data.back() == L'\0') data.pop_back();
        return Narrow(data);
    }

    void SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& value) override {
        RegKey k;
        LONG rc = RegCreateKeyExW(HKEY_CURRENT_USER, KeyPath(app, section).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                  nullptr, k.receive(), nullptr);
        if (rc != ERROR_SUCCESS) throw Error(LastErrorText("cannot open the settings of " + app, rc));
        const auto data = Widen(value);
        rc = RegSetValueExW(k.get(), Widen(key).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                            static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
        if (rc != ERROR_SUCCESS) throw Error(LastErrorText("cannot save the setting \"" + key + "\"", rc));
    }

private:
    static std::wstring KeyPath(const std::string& app, const std::string& section) {
        return L"Software\\VB and VBA Program Settings\\" + Widen(app) + L"\\" + Widen(section);
    }
};

class RealClipboard final : public platform::Clipboard {
public:
    void Clear() override {
        ClipboardOpen open;
        if (!EmptyClipboard()) throw Error(LastErrorText("cannot empty the clipboard", GetLastError()));
    }

    std::string GetText() override {
        ClipboardOpen open;
        HANDLE data = GetClipboardData(CF_UNICODETEXT);
        if (!data) return {};
        GlobalLockGuard lock(data);
        if (!lock.get()) return {};
        const auto* text = static_cast<const wchar_t*>(lock.get());
        // The block may be larger than the text; never read beyond it.
        return Narrow(text, wcsnlen(text, GlobalSize(data) / sizeof(wchar_t)));
    }

    std::uint32_t SequenceNumber() override { return GetClipboardSequenceNumber(); }
};

class RealMessages final : public platform::Messages {
public:
    void DoEvents() override {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                // Not ours to swallow: leave it for the message loop that ends the program.
                PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            // Tab, Enter and Esc in an open dialog must work while the program yields.
            if (PreTranslateFormMessage(msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }

    void WaitForEvents(int ms) override {
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(ms), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        DoEvents();
    }

    std::int64_t NowMs() override { return static_cast<std::int64_t>(GetTickCount64()); }
};

struct EnumState {
    std::vector<platform::WindowCandidate> windows;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lParam) {
    auto& state = *reinterpret_cast<EnumState*>(lParam);
    wchar_t title[512];
    const int n = GetWindowTextW(hwnd, title, 512);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    state.windows.push_back({reinterpret_cast<platform::WindowId>(hwnd), Narrow(title, static_cast<std::size_t>(n)),
                             IsWindowVisible(hwnd) != FALSE, pid == GetCurrentProcessId()});
    return TRUE;
}

class RealWindows final : public platform::Windows {
public:
    platform::WindowId ActivateByTitle(const std::string& title) override {
        EnumState state;
        EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&state));
        const auto id = platform::ChooseWindowByTitle(state.windows, title);
        if (!id) throw Error("no window is titled \"" + title + "\"");
        const HWND hwnd = reinterpret_cast<HWND>(id);
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

    platform::WindowId ForegroundWindow() override {
        return reinterpret_cast<platform::WindowId>(GetForegroundWindow());
    }
};

class RealKeyboard final : public platform::Keyboard {
public:
    std::int16_t GetAsyncKeyState(int vk) override { return ::GetAsyncKeyState(vk); }

    std::size_t SendInput(const std::vector<platform::KeyEvent>& events) override {
        std::vector<INPUT> inputs(events.size());
        for (std::size_t i = 0; i < events.size(); ++i) {
            INPUT& in = inputs[i];
            in.type = INPUT_KEYBOARD;
            in.ki.wVk = events[i].vk;
            in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(events[i].vk, MAPVK_VK_TO_VSC));
            in.ki.dwFlags = (events[i].up ? KEYEVENTF_KEYUP : 0) | (events[i].extended ? KEYEVENTF_EXTENDEDKEY : 0);
        }
        if (inputs.empty()) return 0;
        return ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    }
};

class RealDialogs final : public platform::Dialogs {
public:
    int ShowMessageBox(const std::string& text, int style, const std::string& caption) override {
        return MessageBoxW(nullptr, Widen(text).c_str(), Widen(caption).c_str(), static_cast<UINT>(style));
    }
};

class RealPrograms final : public platform::Programs {
public:
    void Start(const std::string& commandLine, const std::string& application, int windowStyle) override {
        STARTUPINFOW si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESHOWWINDOW;
        si.wShowWindow = static_cast<WORD>(windowStyle);
        PROCESS_INFORMATION pi{};
        const auto app = Widen(application);
        auto line = Widen(commandLine);  // CreateProcessW may write to it
        if (!CreateProcessW(app.empty() ? nullptr : app.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &si, &pi))
            throw Error(LastErrorText("cannot start " + (application.empty() ? commandLine : application),
                                      GetLastError()));
        // Nobody waits for it: let go of both handles at once.
        KernelHandle process(pi.hProcess), thread(pi.hThread);
    }
};

// Text in the system's ANSI code page, for the script runner that reads it so.
class AnsiFile final : public platform::TextFile {
public:
    AnsiFile(KernelHandle file, std::string path) : file_(std::move(file)), path_(std::move(path)) {}

    void WriteLine(const std::string& text) override {
        if (!file_) throw Error(path_ + " is closed");
        const auto wide = Widen(text) + L"\r\n";
        BOOL lossy = FALSE;
        const int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                          &lossy);
        std::string bytes(static_cast<std::size_t>(n), '\0');
        WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(), n, nullptr, &lossy);
        // A character the code page lacks would reach the runner as "?": a
        // different field name. Refuse rather than write the wrong script.
        if (lossy) throw Error("\"" + text + "\" cannot be written in the system's code page");
        DWORD written = 0;
        if (!WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written != bytes.size())
            throw Error(LastErrorText("cannot write " + path_, GetLastError()));
    }

    void Close() override { file_.reset(); }

private:
    KernelHandle file_;
    std::string path_;
};

class RealFiles final : public platform::Files {
public:
    bool FindOrdinaryFile(const std::string& path) override {
        WIN32_FIND_DATAW data;
        FindHandle find(FindFirstFileW(Widen(path).c_str(), &data));
        if (!find) return false;
        do {
            if (!(data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
                return true;
        } while (FindNextFileW(find.get(), &data));
        return false;
    }

    void Delete(const std::string& path) override {
        if (!DeleteFileW(Widen(path).c_str())) throw Error(LastErrorText("cannot delete " + path, GetLastError()));
    }

    bool FileExists(const std::string& path) override {
        WIN32_FIND_DATAW data;
        FindHandle find(FindFirstFileW(Widen(path).c_str(), &data));
        return static_cast<bool>(find);
    }

    std::unique_ptr<platform::TextFile> OpenForAppend(const std::string& path) override {
        HANDLE file = CreateFileW(Widen(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) throw Error(LastErrorText("cannot open " + path, GetLastError()));
        return std::make_unique<AnsiFile>(KernelHandle(file), path);
    }
};

// The one procedure the program installs in a window: the system calls this,
// and it hands over to the portable code's procedure.
platform::WindowProcedure g_procedure = nullptr;

LRESULT CALLBACK HookTrampoline(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return g_procedure ? g_procedure(reinterpret_cast<platform::WindowId>(hwnd), msg, wParam, lParam) : 0;
}

class RealHotKeys final : public platform::HotKeys {
public:
    std::intptr_t SetWindowProcedure(platform::WindowId window, platform::WindowProcedure procedure) override {
        g_procedure = procedure;
        SetLastError(0);
        const auto previous = SetWindowLongPtrA(reinterpret_cast<HWND>(window), GWLP_WNDPROC,
                                                reinterpret_cast<LONG_PTR>(&HookTrampoline));
        if (!previous && GetLastError()) throw Error(LastErrorText("SetWindowLong", GetLastError()));
        return previous;
    }

    void RestoreWindowProcedure(platform::WindowId window, std::intptr_t previous) override {
        SetWindowLongPtrA(reinterpret_cast<HWND>(window), GWLP_WNDPROC, previous);
    }

    std::intptr_t CallWindowProcedure(std::intptr_t previous, platform::WindowId window, std::uint32_t msg,
                                      std::uintptr_t wParam, std::intptr_t lParam) override {
        return CallWindowProcA(reinterpret_cast<WNDPROC>(previous), reinterpret_cast<HWND>(window), msg, wParam,
                               lParam);
    }

    int RegisterHotKey(platform::WindowId window, std::int32_t id, std::uint32_t modifiers,
                       std::uint32_t key) override {
        return ::RegisterHotKey(reinterpret_cast<HWND>(window), id, modifiers, key) ? 1 : 0;
    }

    int UnregisterHotKey(platform::WindowId window, std::int32_t id) override {
        return ::UnregisterHotKey(reinterpret_cast<HWND>(window), id) ? 1 : 0;
    }

    std::int32_t AddGlobalAtom(const std::string& text) override { return ::GlobalAddAtomW(Widen(text).c_str()); }
    void DeleteGlobalAtom(std::int32_t atom) override { ::GlobalDeleteAtom(static_cast<ATOM>(atom)); }

    std::string LocalDateTimeText() override {
        wchar_t date[128] = L"", time[128] = L"";
        GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, 128);
        GetTimeFormatW(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, time, 128);
        return Narrow(std::wstring(date) + L" " + time);
    }
};

// Machine-wide values, read with the ANSI functions and for reading only: a
// standard user may read these keys but not change them.
class RealRegistry final : public platform::Registry {
public:
    platform::RegistryRead ReadValue(std::uint32_t root, const std::string& key, const std::string& name,
                                     std::size_t bufferSize) override {
        platform::RegistryRead read;
        RegKey k;
        const auto rootKey = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
        read.openStatus = RegOpenKeyExA(rootKey, key.c_str(), 0, KEY_QUERY_VALUE, k.receive());
        if (read.openStatus != ERROR_SUCCESS) return read;
        std::string buffer(bufferSize, '\0');
        DWORD type = 0, size = static_cast<DWORD>(bufferSize);
        read.queryStatus = RegQueryValueExA(k.get(), name.c_str(), nullptr, &type,
                                            reinterpret_cast<BYTE*>(buffer.data()), &size);
        if (read.queryStatus != ERROR_SUCCESS) return read;
        read.type = type;
        read.data = buffer.substr(0, size);
        return read;
    }

    std::string FromAnsi(const std::string& bytes) override {
        if (bytes.empty()) return {};
        const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
        std::wstring wide(static_cast<std::size_t>(n), L'\0');
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
        return Narrow(wide);
    }
};

}  // namespace

platform::Services RealServices() {
    static RegistryStore store;
    static RealClipboard clipboard;
    static RealMessages messages;
    static RealWindows windows;
    static RealKeyboard keyboard;
    static RealDialogs dialogs;
    static RealPrograms programs;
    static RealFiles files;
    platform::Services services{&store, &clipboard, &messages, &windows, &keyboard, &dialogs};
    services.programs = &programs;
    services.files = &files;
    static RealHotKeys hotkeys;
    services.hotkeys = &hotkeys;
    services.shell = &RealShell();
    static RealRegistry registry;
    services.registry = &registry;
    services.forms = &Win32FormHost();
    return services;
}

}  // namespace kestrel::win32
