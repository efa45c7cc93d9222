#pragma once
#include "platform/clipboard.h"

namespace kestrel::win32 {

class Clipboard final : public platform::Clipboard {
public:
    void Clear() override;
    std::string Text() override;
    void SetText(const std::string& text) override;
    std::uint32_t SequenceNumber() override;
};

}  // namespace kestrel::win32
