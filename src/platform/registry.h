#pragma once
#include <cstddef>
#include <string>

namespace kestrel::platform {

enum class RegistryRoot { LocalMachine };
enum class RegistryType { Text, Number, Other };

// A value read from the machine-wide registry, as the system returned it.
struct RegistryRead {
    bool opened = false;  // the key was opened
    bool read = false;    // the value was read into the buffer
    RegistryType type = RegistryType::Other;
    std::string data;  // the bytes the system reported; text in the ANSI code page
};

class Registry {
public:
    virtual ~Registry() = default;
    // Opens the key for reading only, reads the value into a buffer of
    // `bufferSize` bytes and closes the key again.
    virtual RegistryRead ReadValue(RegistryRoot root, const std::string& key, const std::string& name,
                                   std::size_t bufferSize) = 0;
    // Text in the system's ANSI code page, as UTF-8.
    virtual std::string FromAnsi(const std::string& bytes) = 0;
};

}  // namespace kestrel::platform
