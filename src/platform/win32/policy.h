#pragma once
#include "platform/policy.h"

namespace kestrel::win32 {

// Group Policy's values for Kestrel: HKLM\Software\Policies\Kestrel (or its
// subkey for a section), then the same key under HKCU. Opened for reading only, as any standard user may.
class Policy final : public platform::Policy {
public:
    std::optional<std::string> Read(const std::string& section, const std::string& name) override;
    bool MachineSets(const std::string& section, const std::string& name) override;
};

}  // namespace kestrel::win32
