#pragma once
#include <cstdint>
#include <string>

namespace kestrel::platform {

enum class ShowAs { Normal, MinimizedActive };

struct Version {
    int major = 0, minor = 0, revision = 0;
};

class Programs {
public:
    virtual ~Programs() = default;
    // Starts `commandLine` and returns its process id without waiting.
    // `application` names the program file so that nothing has to be guessed
    // from the command line; empty: the command line's first word. Throws
    // Error on failure.
    virtual std::uint32_t Start(const std::string& commandLine, const std::string& application, ShowAs show) = 0;
    // This program's version, from its version resource.
    virtual Version OwnVersion() = 0;
};

}  // namespace kestrel::platform
