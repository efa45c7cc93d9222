#pragma once
#include <cstdint>
#include <string>

#include "platform/log_file.h"

namespace kestrel::win32 {

// kestrel.log in a folder of the user's local application data, UTF-8, each
// line stamped with the local time to the millisecond. Past `limitBytes` it
// becomes kestrel.1.log, replacing an older one, and a new file begins.
class LogFile final : public platform::LogFile {
public:
    static constexpr std::uint64_t kLimitBytes = 1024 * 1024;
    // Default: %LOCALAPPDATA%\Kestrel.
    explicit LogFile(std::wstring folder = {}, std::uint64_t limitBytes = kLimitBytes);
    bool Append(const std::string& line) override;
    const std::wstring& path() const { return path_; }

private:
    std::wstring folder_, path_;
    std::uint64_t limit_;
};

}  // namespace kestrel::win32
