#pragma once
#include "platform/files.h"

namespace kestrel::win32 {

class Files final : public platform::Files {
public:
    std::unique_ptr<platform::TextFile> Create(const std::string& path) override;
    bool Exists(const std::string& path) override;
};

}  // namespace kestrel::win32
