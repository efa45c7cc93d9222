#include "platform/win32/registry_store.h"

#include <windows.h>

#include "platform/win32/handles.h"
#include "platform/win32/text.h"

namespace kestrel::win32 {
namespace {

std::wstring KeyPath(const std::string& app, const std::string& section) {
    return L"Software\\VB and VBA Program Settings\\" + Widen(app) + L"\\" + Widen(section);
}

}  // namespace

std::string RegistryStore::Read(const std::string& app, const std::string& section, const std::string& key,
                                const std::string& fallback) {
    RegKey k;
    LONG rc = RegOpenKeyExW(HKEY_CURRENT_USER, KeyPath(app, section).c_str(), 0, KEY_QUERY_VALUE, k.receive());
    if (rc == ERROR_FILE_NOT_FOUND) return fallback;
    if (rc != ERROR_SUCCESS) throw Error(LastErrorText("cannot open the settings of " + app, rc));
    const auto name = Widen(key);
    DWORD type = 0, size = 0;
    rc = RegQueryValueExW(k.get(), name.c_str(), nullptr, &type, nullptr, &size);
    if (rc == ERROR_FILE_NOT_FOUND) return fallback;
    if (rc != ERROR_SUCCESS) throw Error(LastErrorText("cannot read the setting \"" + key + "\"", rc));
    if (type != REG_SZ && type != REG_EXPAND_SZ) throw Error("the setting \"" + key + "\" is not text");
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    rc = RegQueryValueExW(k.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    if (rc != ERROR_SUCCESS) throw Error(LastErrorText("cannot read the setting \"" + key + "\"", rc));
    data.resize(size / sizeof(wchar_t));
    while (!data.empty() && data.back() == L'\0') data.pop_back();
    return Narrow(data);
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

}  // namespace kestrel::win32
