#pragma once
#include <windows.h>

namespace kestrel::win32 {

// A function of a system DLL that is no KnownDLL, loaded from the system
// folder only: never a DLL of that name lying beside the program. Null where
// the system has none (older Windows). The DLL stays loaded.
template <typename Function>
Function SystemFunction(const wchar_t* dll, const char* name) {
    HMODULE module = LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Through the generic function type, which any function pointer converts to.
    return module ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace kestrel::win32
