#pragma once
#include <string>

namespace kestrel::platform {

// The per-user store the settings live in: text values by application,
// section and key.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The text under the key; `fallback` when the key is absent. Throws Error.
    virtual std::string Read(const std::string& app, const std::string& section, const std::string& key,
                             const std::string& fallback) = 0;
    virtual void Write(const std::string& app, const std::string& section, const std::string& key,
                       const std::string& value) = 0;  // throws Error
    // Removes the section with every value in it; one that is not there is
    // no failure. Throws Error.
    virtual void RemoveSection(const std::string& app, const std::string& section) = 0;
};

}  // namespace kestrel::platform
