#include "platform/win32/registry.h"

#include <windows.h>

#include "platform/win32/handles.h"
#include "platform/win32/text.h"

namespace kestrel::win32 {
namespace {

HKEY RootKey(platform::RegistryRoot root) {
    switch (root) {
    case platform::RegistryRoot::LocalMachine:
        break;
    }
    return HKEY_LOCAL_MACHINE;
}

platform::RegistryType TypeOf(DWORD type) {
    if (type == REG_SZ) return platform::RegistryType::Text;
    if (type == REG_DWORD) return platform::RegistryType::Number;
    return platform::RegistryType::Other;
}

}  // namespace

platform::RegistryRead Registry::ReadValue(platform::RegistryRoot root, const std::string& key,
                                           const std::string& name, std::size_t bufferSize) {
    platform::RegistryRead read;
    RegKey k;
    if (RegOpenKeyExA(RootKey(root), key.c_str(), 0, KEY_QUERY_VALUE, k.receive()) != ERROR_SUCCESS) return read;
    read.opened = true;
    std::string buffer(bufferSize, '\0');
    DWORD type = 0, size = static_cast<DWORD>(bufferSize);
    if (RegQueryValueExA(k.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
        ERROR_SUCCESS)
        return read;
    read.read = true;
    read.type = TypeOf(type);
    read.data = buffer.substr(0, size);
    return read;
}

std::string Registry::FromAnsi(const std::string& bytes) { return win32::FromAnsi(bytes); }

}  // namespace kestrel::win32
