#pragma once
#include <optional>
#include <string>

namespace kestrel::platform {

// Values an administrator set by Group Policy under the settings' own value
// names: the machine's policy first, then the user's. Only ever read.
class Policy {
public:
    virtual ~Policy() = default;
    // The value's text (a number as its decimal digits); nothing when no
    // policy sets it. `section` is a subkey of the program's policy key
    // ("Source2"), empty for the key itself. Throws Error when it is set but
    // cannot be read.
    virtual std::optional<std::string> Read(const std::string& section, const std::string& name) = 0;
    // Whether it is the machine's policy that sets a value Read found (else
    // the user's), for the log.
    virtual bool MachineSets(const std::string& section, const std::string& name) = 0;
};

}  // namespace kestrel::platform
