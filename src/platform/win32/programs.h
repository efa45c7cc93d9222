#pragma once
#include "platform/programs.h"

namespace kestrel::win32 {

class Programs final : public platform::Programs {
public:
    std::uint32_t Start(const std::string& commandLine, const std::string& application, platform::ShowAs show) override;
    platform::Version OwnVersion() override;
};

}  // namespace kestrel::win32
