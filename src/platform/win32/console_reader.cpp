#include "platform/win32/console_reader.h"

#include <tlhelp32.h>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/console_answer.h"
#include "platform/win32/console_pipe.h"
#include "platform/win32/handles.h"
#include "platform/win32/text.h"

namespace kestrel::win32 {
namespace {

using Kind = platform::ConsoleText::Kind;
// Time for the program to take an answer it asked for.
constexpr ULONGLONG kAnswerTakenMs = 2000;

// The process that made a console host's console: under Wine the console's
// window is its host's (conhost.exe), started by the console's first
// program. 0 for any other process, and on Windows, whose console windows
// tell their console's program themselves.
DWORD HostsMaker(DWORD windowProcess) {
    FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry))
        if (entry.th32ProcessID == windowProcess)
            return lstrcmpiW(entry.szExeFile, L"conhost.exe") == 0 ? entry.th32ParentProcessID : 0;
    return 0;
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
    if (!buffer || !GetConsoleScreenBufferInfo(buffer.get(), &info)) return {Kind::Unreadable, {}};
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

// The window's own console: that of the process the window names, or under
// Wine of its host's maker, and only if that console's window is this one.
platform::ConsoleText ReadConsoleOf(HWND window) {
    DWORD windowProcess = 0;
    if (!GetWindowThreadProcessId(window, &windowProcess)) return {Kind::Unreadable, {}};
    for (const DWORD pid : {windowProcess, HostsMaker(windowProcess)}) {
        if (!pid || !AttachConsole(pid)) continue;
        const bool own = GetConsoleWindow() == window;
        auto text = own ? ReadAttached() : platform::ConsoleText{Kind::Unreadable, {}};
        FreeConsole();
        if (own) return text;
    }
    // A console this process may not join (another user's): read or left
    // alone, never typed into.
    return {Kind::Unreadable, {}};
}

}  // namespace

int RunConsoleReader(HANDLE pipe) {
    // A fault here ends this process quietly: the program says the console
    // could not be read.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    // A console its starter passed on would stand in the way of the others.
    FreeConsole();
    for (;;) {
        std::uint64_t window = 0;
        if (!ReadBefore(pipe, &window, sizeof window, GetTickCount64() + kConsoleReaderIdleMs)) return 0;
        const auto answer = platform::EncodeConsoleAnswer(ReadConsoleOf(reinterpret_cast<HWND>(static_cast<UINT_PTR>(window))));
        if (!WriteBefore(pipe, answer.data(), answer.size(), GetTickCount64() + kAnswerTakenMs)) return 0;
    }
}

}  // namespace kestrel::win32
