#include "platform/win32/programs.h"

#include <windows.h>

#include "platform/error.h"
#include "platform/win32/handles.h"
#include "platform/win32/system_library.h"
#include "platform/win32/text.h"

namespace kestrel::win32 {

std::uint32_t Programs::Start(const std::string& commandLine, const std::string& application, platform::ShowAs show) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = show == platform::ShowAs::MinimizedActive ? SW_SHOWMINIMIZED : SW_SHOWNORMAL;
    PROCESS_INFORMATION pi{};
    // The program file, when given, is never guessed from a command line whose
    // unquoted blanks would make Windows try other files first.
    const auto app = Widen(application);
    auto line = Widen(commandLine);  // CreateProcessW may write to it
    if (!CreateProcessW(app.empty() ? nullptr : app.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &si, &pi))
        throw Error(LastErrorText("cannot start " + (application.empty() ? commandLine : application), GetLastError()));
    // Nobody waits for it: let go of both handles at once.
    KernelHandle process(pi.hProcess), thread(pi.hThread);
    return pi.dwProcessId;
}

platform::Version Programs::OwnVersion() {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const SystemLibrary version(L"version.dll");
    const auto sizeOf = version.Get<decltype(&GetFileVersionInfoSizeW)>("GetFileVersionInfoSizeW");
    const auto read = version.Get<decltype(&GetFileVersionInfoW)>("GetFileVersionInfoW");
    const auto query = version.Get<decltype(&VerQueryValueW)>("VerQueryValueW");
    if (!sizeOf || !read || !query) return {};
    DWORD ignored = 0;
    const DWORD size = sizeOf(self, &ignored);
    if (!size) return {};
    std::string block(size, '\0');
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!read(self, 0, size, block.data()) ||
        !query(block.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info)
        return {};
    // Major, minor, and the revision in the last of the four numbers.
    return {HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionLS)};
}

}  // namespace kestrel::win32
