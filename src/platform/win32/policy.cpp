#include "platform/win32/policy.h"

#include <windows.h>

#include "platform/error.h"
#include "platform/win32/handles.h"
#include "platform/win32/registry_value.h"
#include "platform/win32/text.h"

namespace kestrel::win32 {
namespace {

constexpr wchar_t kPolicyKey[] = L"Software\\Policies\\Kestrel";

// The value under one root's policy key; nothing when it is not set there.
std::optional<std::string> ReadFrom(HKEY root, const std::string& section, const std::string& name) {
    std::wstring path = kPolicyKey;
    if (!section.empty()) path += L"\\" + Widen(section);
    RegKey key;
    // Group Policy writes the 64-bit view; a 32-bit program reads it too.
    LONG rc = RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, key.receive());
    if (rc == ERROR_FILE_NOT_FOUND) return std::nullopt;
    if (rc != ERROR_SUCCESS) throw Error(LastErrorText("cannot open the policy for Kestrel", rc));
    const std::string what = "the policy setting \"" + (section.empty() ? name : section + "\\" + name) + "\"";
    const auto value = QueryValue(key.get(), name, what);
    if (!value) return std::nullopt;
    if (value->type == REG_DWORD && value->size == sizeof(DWORD)) {
        DWORD number = 0;
        memcpy(&number, value->data.data(), sizeof number);
        // A number the templates store as such reads as the store's text would.
        return std::to_string(static_cast<long>(static_cast<LONG>(number)));
    }
    if (!value->IsText()) throw Error(what + " is neither text nor a number");
    return value->Text();
}

}  // namespace

bool Policy::MachineSets(const std::string& section, const std::string& name) {
    try {
        return ReadFrom(HKEY_LOCAL_MACHINE, section, name).has_value();
    } catch (const Error&) {
        return false;
    }
}

std::optional<std::string> Policy::Read(const std::string& section, const std::string& name) {
    if (auto machine = ReadFrom(HKEY_LOCAL_MACHINE, section, name)) return machine;
    return ReadFrom(HKEY_CURRENT_USER, section, name);
}

}  // namespace kestrel::win32
