#include "platform/win32/consoles.h"

#include <cstdint>
#include <optional>
#include <string>

#include "platform/console_answer.h"
#include "platform/win32/console_pipe.h"
#include "platform/win32/text.h"

namespace kestrel::win32 {
namespace {

using Kind = platform::ConsoleText::Kind;

// How long a read may take: a console whose host hangs, or a reader stuck
// in it, must not hold the press. A reader's first answer includes its
// start, which under load or emulation takes far longer than a read.
constexpr ULONGLONG kAnswerBoundMs = 1000;
constexpr ULONGLONG kFirstAnswerBoundMs = 4000;
// A reader idle for nearly its own limit may be ending as it is asked.
constexpr ULONGLONG kReuseMs = kConsoleReaderIdleMs - 60 * 1000;

// Console windows by class: Windows' console host and Wine's. Only these are
// worth a reader.
bool MayBeAConsole(HWND hwnd) {
    wchar_t name[64] = L"";
    if (!GetClassNameW(hwnd, name, 64)) return false;
    for (const wchar_t* console : {L"ConsoleWindowClass", L"WineConsoleClass"})
        if (lstrcmpiW(name, console) == 0) return true;
    return false;
}

// The text of `window`'s console as the reader at the pipe's other end
// gives it, whole and well-formed, before `deadline`.
std::optional<platform::ConsoleText> Ask(HANDLE pipe, HWND window, ULONGLONG deadline) {
    const std::uint64_t request = reinterpret_cast<UINT_PTR>(window);
    char length[platform::kConsoleAnswerLengthBytes];
    if (!WriteBefore(pipe, &request, sizeof request, deadline) || !ReadBefore(pipe, length, sizeof length, deadline))
        return std::nullopt;
    const auto size = platform::ConsoleAnswerLength({length, sizeof length});
    if (!size) return std::nullopt;
    std::string body(*size, '\0');
    if (!ReadBefore(pipe, body.data(), body.size(), deadline)) return std::nullopt;
    return platform::DecodeConsoleAnswer(body);
}

}  // namespace

platform::ConsoleText Consoles::Read(platform::WindowId window) {
    const HWND hwnd = reinterpret_cast<HWND>(window);
    if (!hwnd || !MayBeAConsole(hwnd)) return {};
    const ULONGLONG now = GetTickCount64();
    if (!reader_ || WaitForSingleObject(reader_.get(), 0) != WAIT_TIMEOUT || now - lastAnswer_ >= kReuseMs) {
        EndReader();
        if (!StartReader()) return {Kind::Unreadable, {}};
    }
    const auto text = Ask(pipe_.get(), hwnd, now + (answered_ ? kAnswerBoundMs : kFirstAnswerBoundMs));
    if (!text) {
        // Late, ended by its console, or speaking nonsense: none of it is
        // trusted again.
        EndReader();
        return {Kind::Unreadable, {}};
    }
    lastAnswer_ = GetTickCount64();
    answered_ = true;
    return *text;
}

std::wstring Consoles::ThisProgram() {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path;
}

bool Consoles::StartReader() {
    // One pipe instance, opened here at once for the reader: no one else can
    // be at its other end.
    const std::wstring name = Widen("\\\\.\\pipe\\kestrel-consoles-" + std::to_string(GetCurrentProcessId()) + "-" +
                                    std::to_string(++pipes_));
    pipe_ = FileHandle(CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1,
                                        64 * 1024, 64 * 1024, 0, nullptr));
    if (!pipe_ || readerProgram_.empty()) return false;
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    FileHandle readersEnd(CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, &inheritable, OPEN_EXISTING,
                                      FILE_FLAG_OVERLAPPED, nullptr));
    if (!readersEnd) return false;

    // The reader inherits its end of the pipe and nothing else.
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    std::string attributes(size, '\0');
    const auto list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributes.data());
    HANDLE inherited = readersEnd.get();
    if (!InitializeProcThreadAttributeList(list, 1, 0, &size)) return false;
    const bool listed = UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &inherited,
                                                  sizeof inherited, nullptr, nullptr);
    STARTUPINFOEXW start{};
    start.StartupInfo.cb = sizeof start;
    // No busy cursor while it starts: it shows no window to end one.
    start.StartupInfo.dwFlags = STARTF_FORCEOFFFEEDBACK;
    start.lpAttributeList = list;
    std::wstring line = L"\"" + readerProgram_ + L"\" " + kConsoleReaderOption + L" " +
                        Widen(std::to_string(reinterpret_cast<UINT_PTR>(inherited)));
    PROCESS_INFORMATION started{};
    // Its own full path: never a search.
    const bool ok = listed && CreateProcessW(readerProgram_.c_str(), line.data(), nullptr, nullptr, TRUE,
                                             EXTENDED_STARTUPINFO_PRESENT, nullptr, nullptr, &start.StartupInfo, &started);
    DeleteProcThreadAttributeList(list);
    if (!ok) return false;
    KernelHandle thread(started.hThread);
    reader_ = KernelHandle(started.hProcess);
    lastAnswer_ = GetTickCount64();
    answered_ = false;
    return true;
}

void Consoles::EndReader() {
    // Ended by its handle: it may be stuck in a console, and holds nothing.
    if (reader_) TerminateProcess(reader_.get(), 1);
    reader_.reset();
    pipe_.reset();
}

}  // namespace kestrel::win32
