#pragma once
#include <string>

namespace kestrel::platform {

// The file the help desk asks for: one line per event, each stamped with the
// local time, kept small.
class LogFile {
public:
    virtual ~LogFile() = default;
    // Appends the line; false when it could not be written. Never throws and
    // never waits on anything but the local disk.
    virtual bool Append(const std::string& line) = 0;
};

}  // namespace kestrel::platform
