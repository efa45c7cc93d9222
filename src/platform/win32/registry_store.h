#pragma once
#include <string>

#include "platform/settings_store.h"

namespace kestrel::win32 {

// The per-user key under which `app` keeps its sections.
std::wstring StoreKeyPath(const std::string& app);

// Settings kept per user by application and section, where programs of this
// kind have always kept them, so that an earlier install's settings are found.
class RegistryStore final : public platform::SettingsStore {
public:
    std::string Read(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& fallback) override;
    void Write(const std::string& app, const std::string& section, const std::string& key,
               const std::string& value) override;
    void RemoveSection(const std::string& app, const std::string& section) override;
};

}  // namespace kestrel::win32
