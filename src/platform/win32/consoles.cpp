#include "platform/win32/consoles.h"

#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/text.h"

namespace kestrel::win32 {
namespace {

using Kind = platform::ConsoleText::Kind;

// While attached this program is one of the console's: a Ctrl+C or Ctrl+Break
// there, or the console closing, must not end it.
BOOL WINAPI IgnoreControlEvents(DWORD) { return TRUE; }

// Attached to another process's console from construction to destruction,
// for no longer than a read. Attaching and freeing reset the process's
// control handlers to the one that ends it, so the handler is registered
// once attached and removed once free.
class ConsoleAttachment {
public:
    explicit ConsoleAttachment(DWORD pid) {
        attached_ = AttachConsole(pid) != FALSE;
        if (attached_) SetConsoleCtrlHandler(IgnoreControlEvents, TRUE);
    }
    ~ConsoleAttachment() {
        if (!attached_) return;
        FreeConsole();
        SetConsoleCtrlHandler(IgnoreControlEvents, FALSE);
    }
    ConsoleAttachment(const ConsoleAttachment&) = delete;
    ConsoleAttachment& operator=(const ConsoleAttachment&) = delete;
    bool attached() const { return attached_; }

private:
    bool attached_ = false;
};

// The processes that may be attached to the window's console, nearest
// first: on Windows the window's own process may be; under Wine the window is
// the console host's, and the console's programs are its children or, when a
// starter made the console, the host's siblings.
std::vector<DWORD> ProcessesToTry(DWORD windowProcess) {
    std::vector<PROCESSENTRY32W> all;
    FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (snapshot) {
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry))
            all.push_back(entry);
    }
    DWORD parent = 0;
    for (const auto& p : all)
        if (p.th32ProcessID == windowProcess) parent = p.th32ParentProcessID;
    std::vector<DWORD> pids{windowProcess};
    const auto add = [&](DWORD pid) {
        if (pid && pid != GetCurrentProcessId() && std::find(pids.begin(), pids.end(), pid) == pids.end())
            pids.push_back(pid);
    };
    for (const auto& p : all)
        if (p.th32ParentProcessID == windowProcess) add(p.th32ProcessID);
    add(parent);
    for (const auto& p : all)
        if (parent && p.th32ParentProcessID == parent) add(p.th32ProcessID);
    return pids;
}

// Wine exports GetConsoleSelectionInfo as a stub that aborts its caller:
// the console's selection is asked for only where the system answers.
bool SystemTellsSelections() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return !ntdll || !GetProcAddress(ntdll, "wine_get_version");
}

// Nothing when the row cannot be read: the console is unreadable then.
std::optional<std::string> ReadRow(HANDLE buffer, SHORT row, SHORT left, SHORT right) {
    if (right < left) return std::string();
    std::wstring text(static_cast<std::size_t>(right - left + 1), L' ');
    DWORD read = 0;
    if (!ReadConsoleOutputCharacterW(buffer, text.data(), static_cast<DWORD>(text.size()), COORD{left, row}, &read))
        return std::nullopt;
    text.resize(read);
    return Narrow(text);
}

platform::ConsoleText ReadAttached() {
    FileHandle buffer(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!buffer || !GetConsoleScreenBufferInfo(buffer.get(), &info))
        return {Kind::Unreadable, {}};
    CONSOLE_SELECTION_INFO selection{};
    if (SystemTellsSelections() && GetConsoleSelectionInfo(&selection) &&
        (selection.dwFlags & CONSOLE_SELECTION_NOT_EMPTY)) {
        const SMALL_RECT& r = selection.srSelection;
        platform::ConsoleText text{Kind::Selection, {}};
        for (SHORT row = r.Top; row <= r.Bottom; ++row) {
            auto read = ReadRow(buffer.get(), row, r.Left, r.Right);
            if (!read) return {Kind::Unreadable, {}};
            text.rows.push_back(std::move(*read));
        }
        return text;
    }
    auto line = ReadRow(buffer.get(), info.dwCursorPosition.Y, 0, static_cast<SHORT>(info.dwSize.X - 1));
    if (!line) return {Kind::Unreadable, {}};
    return {Kind::CursorLine, {std::move(*line)}};
}

// Console windows by class: Windows' console host and Wine's. Only these are
// worth a process snapshot and the attempts to attach.
bool MayBeAConsole(HWND hwnd) {
    wchar_t name[64] = L"";
    if (!GetClassNameW(hwnd, name, 64)) return false;
    for (const wchar_t* console : {L"ConsoleWindowClass", L"WineConsoleClass"})
        if (lstrcmpiW(name, console) == 0) return true;
    return false;
}

}  // namespace

platform::ConsoleText Consoles::Read(platform::WindowId window) {
    const HWND hwnd = reinterpret_cast<HWND>(window);
    DWORD windowProcess = 0;
    if (!hwnd || !MayBeAConsole(hwnd) || !GetWindowThreadProcessId(hwnd, &windowProcess)) return {};
    // This program has no console of its own; one left from an interrupted
    // read would stand in the way.
    FreeConsole();
    for (const DWORD pid : ProcessesToTry(windowProcess)) {
        ConsoleAttachment attachment(pid);
        if (!attachment.attached()) continue;
        if (GetConsoleWindow() != hwnd) continue;  // another console, or a hidden one
        return ReadAttached();
    }
    // A console's window whose console this program may not join (another
    // user's): it is read or left alone, never typed into.
    return {Kind::Unreadable, {}};
}

}  // namespace kestrel::win32
