#pragma once
#include "platform/files.h"

namespace kestrel::win32 {

class Files final : public platform::Files {
public:
    bool FindOrdinaryFile(const std::string& path) override;
    void Delete(const std::string& path) override;
    std::unique_ptr<platform::TextFile> OpenForAppend(const std::string& path) override;
    bool Exists(const std::string& path) override;
};

}  // namespace kestrel::win32
