#pragma once
// What this program and its console reader (the same program, started with
// kConsoleReaderOption and its end of a pipe) share: the option, how long
// the reader waits for work, and transfers over the pipe that end by a
// deadline, so that neither side can hold the other.
#include <windows.h>

#include <cstddef>
#include <optional>

namespace kestrel::win32 {

inline constexpr wchar_t kConsoleReaderOption[] = L"--read-consoles";
// A reader asked nothing for so long ends; the program starts another
// rather than ask one that may be ending.
inline constexpr ULONGLONG kConsoleReaderIdleMs = 5 * 60 * 1000;

// The reader's end of the pipe, when `arguments` (the command line after
// the program's name) start the reader.
std::optional<HANDLE> ConsoleReaderPipe(const wchar_t* arguments);

// Whether all `size` bytes moved before GetTickCount64() reached `deadline`;
// the pipe is one opened for overlapped transfers.
bool ReadBefore(HANDLE pipe, void* data, std::size_t size, ULONGLONG deadline);
bool WriteBefore(HANDLE pipe, const void* data, std::size_t size, ULONGLONG deadline);

}  // namespace kestrel::win32
