#pragma once
// A DLL that is not one of the system's known DLLs, loaded from the system
// folder only: Windows would otherwise look for it first in the program's own
// folder (Downloads, say), and a file of that name there would run inside the
// program. The program imports none of these; it loads them when it needs
// them, through this.
#include <windows.h>

#include "platform/win32/handles.h"

namespace kestrel::win32 {

struct ModuleTraits {
    static HMODULE none() { return nullptr; }
    static void close(HMODULE h) { FreeLibrary(h); }
};
using Module = Owned<HMODULE, ModuleTraits>;

class SystemLibrary {
public:
    // `name` such as L"dwmapi.dll"; a library that cannot be loaded leaves
    // the object empty, and each of its functions null.
    explicit SystemLibrary(const wchar_t* name);

    // From here on, whatever the process loads by name comes from the system
    // folder alone; the first thing the program does.
    static void LoadOnlyFromSystemFolder();

    explicit operator bool() const { return static_cast<bool>(module_); }
    HMODULE get() const { return module_.get(); }

    // The exported function `name` as a pointer of type `Function` (write it
    // as `decltype(&DwmGetWindowAttribute)`), or null; valid while the object lives.
    template <typename Function>
    Function Get(const char* name) const {
        if (!module_) return nullptr;
        return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module_.get(), name)));
    }

private:
    Module module_;
};

}  // namespace kestrel::win32
