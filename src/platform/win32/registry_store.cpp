#include "platform/win32/registry_store.h"

#include <windows.h>

#include "platform/win32/handles.h"
#include "platform/win32/registry_value.h"
#include "platform/win32/text.h"

namespace kestrel::win32 {
std::wstring StoreKeyPath(const std::string& app) { return L"Software\\VB and VBA Program Settings\\" + Widen(app); }

namespace {

std::wstring KeyPath(const std::string& app, const std::string& section) {
    return StoreKeyPath(app) + L"\\" + Widen(section);
}

}  // namespace

std::string RegistryStore::Read(const std::string& app, const std::string& section, const std::string& key,
                                const std::string& fallback) {
    RegKey k;
    LONG rc = RegOpenKeyExW(HKEY_CURRENT_USER, KeyPath(app, section).c_str(), 0, KEY_QUERY_VALUE, k.receive());
    if (rc == ERROR_FILE_NOT_FOUND) return fallback;
    if (rc != ERROR_SUCCESS) throw Error(LastErrorText("cannot open the settings of " + app, rc));
    const auto value = QueryValue(k.get(), key, "the setting \"" + key + "\"");
    if (!value) return fallback;
    if (!value->IsText()) throw Error("the setting \"" + key + "\" is not text");
    return value->Text();
}

void RegistryStore::Write(const std::string& app, const std::string& section, const std::string& key,
                          const std::string& value) {
    RegKey k;
    LONG rc = RegCreateKeyExW(HKEY_CURRENT_USER, KeyPath(app, section).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              k.receive(), nullptr);
    if (rc != ERROR_SUCCESS) throw Error(LastErrorText("cannot open the settings of " + app, rc));
    const auto data = Widen(value);
    rc = RegSetValueExW(k.get(), Widen(key).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                        static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    if (rc != ERROR_SUCCESS) throw Error(LastErrorText("cannot save the setting \"" + key + "\"", rc));
}

void RegistryStore::RemoveSection(const std::string& app, const std::string& section) {
    // A section holds values only, as SaveSetting leaves it, so the key alone goes.
    const LONG rc = RegDeleteKeyW(HKEY_CURRENT_USER, KeyPath(app, section).c_str());
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
        throw Error(LastErrorText("cannot remove the settings section \"" + section + "\"", rc));
}

}  // namespace kestrel::win32
