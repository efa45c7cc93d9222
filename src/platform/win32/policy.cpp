#include "platform/win32/policy.h"

#include <windows.h>

#include "platform/error.h"
#include "platform/win32/handles.h"
#include "platform/win32/text.h"

namespace kestrel::win32 {
namespace {

constexpr wchar_t kPolicyKey[] = L"Software\\Policies\\Kestrel";

// The value under one root's policy key; nothing when it is not set there.
std::optional<std::string> ReadFrom(HKEY root, const std::string& name) {
    RegKey key;
    // Group Policy writes the 64-bit view; a 32-bit program reads it too.
    LONG rc = RegOpenKeyExW(root, kPolicyKey, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, key.receive());
    if (rc == ERROR_FILE_NOT_FOUND) return std::nullopt;
    if (rc != ERROR_SUCCESS) throw Error(LastErrorText("cannot open the policy for Kestrel", rc));
    const auto wideName = Widen(name);
    DWORD type = 0, size = 0;
    rc = RegQueryValueExW(key.get(), wideName.c_str(), nullptr, &type, nullptr, &size);
    if (rc == ERROR_FILE_NOT_FOUND) return std::nullopt;
    if (rc != ERROR_SUCCESS) throw Error(LastErrorText("cannot read the policy setting \"" + name + "\"", rc));
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    rc = RegQueryValueExW(key.get(), wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    if (rc != ERROR_SUCCESS) throw Error(LastErrorText("cannot read the policy setting \"" + name + "\"", rc));
    if (type == REG_DWORD && size == sizeof(DWORD)) {
        DWORD number = 0;
        memcpy(&number, data.data(), sizeof number);
        // A number the templates store as such reads as the store's text would.
        return std::to_string(static_cast<long>(static_cast<LONG>(number)));
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        throw Error("the policy setting \"" + name + "\" is neither text nor a number");
    data.resize(size / sizeof(wchar_t));
    while (!data.empty() && data.back() == L'\0') data.pop_back();
    return Narrow(data);
}

}  // namespace

std::optional<std::string> Policy::Read(const std::string& name) {
    if (auto machine = ReadFrom(HKEY_LOCAL_MACHINE, name)) return machine;
    return ReadFrom(HKEY_CURRENT_USER, name);
}

}  // namespace kestrel::win32
