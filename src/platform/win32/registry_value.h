#pragma once
#include <windows.h>

#include <optional>
#include <string>

namespace kestrel::win32 {

// A value read from an open key: its type and its bytes.
struct RegistryValue {
    DWORD type = 0;
    std::wstring data;  // the bytes, in UTF-16 units
    DWORD size = 0;     // in bytes

    bool IsText() const { return type == REG_SZ || type == REG_EXPAND_SZ; }
    // A text value as UTF-8, without the NULs that end it.
    std::string Text() const;
};

// The named value of `key`; nothing when it is not set. Throws Error saying
// it cannot read `what`.
std::optional<RegistryValue> QueryValue(HKEY key, const std::string& name, const std::string& what);

}  // namespace kestrel::win32
