#include "platform/win32/console_pipe.h"

#include <algorithm>
#include <cwchar>

#include "platform/win32/handles.h"

namespace kestrel::win32 {
namespace {

bool Transfer(HANDLE pipe, bool writing, char* data, std::size_t size, ULONGLONG deadline) {
    KernelHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!done) return false;
    while (size > 0) {
        OVERLAPPED transfer{};
        transfer.hEvent = done.get();
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1 << 20));
        const BOOL now = writing ? WriteFile(pipe, data, chunk, nullptr, &transfer)
                                 : ReadFile(pipe, data, chunk, nullptr, &transfer);
        if (!now && GetLastError() != ERROR_IO_PENDING) return false;
        const ULONGLONG tick = GetTickCount64();
        DWORD moved = 0;
        if (WaitForSingleObject(done.get(), tick < deadline ? static_cast<DWORD>(deadline - tick) : 0) !=
            WAIT_OBJECT_0) {
            // The buffer is the system's until the cancelled transfer is over.
            CancelIoEx(pipe, &transfer);
            GetOverlappedResult(pipe, &transfer, &moved, TRUE);
            return false;
        }
        if (!GetOverlappedResult(pipe, &transfer, &moved, FALSE) || moved == 0) return false;
        data += moved;
        size -= moved;
    }
    return true;
}

}  // namespace

std::optional<HANDLE> ConsoleReaderPipe(const wchar_t* arguments) {
    const std::size_t option = std::wcslen(kConsoleReaderOption);
    if (!arguments || std::wcsncmp(arguments, kConsoleReaderOption, option) != 0 || arguments[option] != L' ')
        return std::nullopt;
    UINT_PTR value = 0;
    const wchar_t* digit = arguments + option + 1;
    for (; *digit >= L'0' && *digit <= L'9'; ++digit) value = value * 10 + static_cast<UINT_PTR>(*digit - L'0');
    if (*digit != L'\0' || value == 0) return std::nullopt;
    return reinterpret_cast<HANDLE>(value);
}

bool ReadBefore(HANDLE pipe, void* data, std::size_t size, ULONGLONG deadline) {
    return Transfer(pipe, false, static_cast<char*>(data), size, deadline);
}

bool WriteBefore(HANDLE pipe, const void* data, std::size_t size, ULONGLONG deadline) {
    return Transfer(pipe, true, static_cast<char*>(const_cast<void*>(data)), size, deadline);
}

}  // namespace kestrel::win32
