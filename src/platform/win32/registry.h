#pragma once
#include "platform/registry.h"

namespace kestrel::win32 {

// Machine-wide values, read with the ANSI functions and for reading only: a
// standard user may read these keys but not change them.
class Registry final : public platform::Registry {
public:
    platform::RegistryRead ReadValue(platform::RegistryRoot root, const std::string& key, const std::string& name,
                                     std::size_t bufferSize) override;
    std::string FromAnsi(const std::string& bytes) override;
};

}  // namespace kestrel::win32
