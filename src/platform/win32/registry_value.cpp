#include "platform/win32/registry_value.h"

#include "platform/error.h"
#include "platform/win32/text.h"

namespace kestrel::win32 {

std::string RegistryValue::Text() const {
    std::wstring text = data.substr(0, size / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return Narrow(text);
}

std::optional<RegistryValue> QueryValue(HKEY key, const std::string& name, const std::string& what) {
    const auto wideName = Widen(name);
    RegistryValue value;
    LONG rc = RegQueryValueExW(key, wideName.c_str(), nullptr, &value.type, nullptr, &value.size);
    if (rc == ERROR_FILE_NOT_FOUND) return std::nullopt;
    if (rc != ERROR_SUCCESS) throw Error(LastErrorText("cannot read " + what, rc));
    value.data.assign(value.size / sizeof(wchar_t) + 1, L'\0');
    rc = RegQueryValueExW(key, wideName.c_str(), nullptr, &value.type, reinterpret_cast<BYTE*>(value.data.data()),
                          &value.size);
    if (rc != ERROR_SUCCESS) throw Error(LastErrorText("cannot read " + what, rc));
    return value;
}

}  // namespace kestrel::win32
