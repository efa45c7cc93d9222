#include "platform/win32/system_library.h"

#include <string>

namespace kestrel::win32 {

SystemLibrary::SystemLibrary(const wchar_t* name)
    : module_(LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    // Windows 7 without its 2011 loader update does not know the flag: the
    // full path in the system folder then says the same.
    if (module_ || GetLastError() != ERROR_INVALID_PARAMETER) return;
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    const std::wstring path = std::wstring(folder, length) + L"\\" + name;
    module_ = Module(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

void SystemLibrary::LoadOnlyFromSystemFolder() {
    // Looked up rather than imported, for the same Windows 7 without the update.
    using SetDirectories = BOOL(WINAPI*)(DWORD);
    if (const HMODULE kernel = GetModuleHandleW(L"kernel32.dll"))
        if (const auto set = reinterpret_cast<SetDirectories>(
                reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories"))))
            set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace kestrel::win32
