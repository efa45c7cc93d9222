#pragma once
#include "platform/clipboard.h"
#include "platform/win32/handles.h"

namespace kestrel::win32 {

class Clipboard final : public platform::Clipboard {
public:
    void Clear() override;
    std::string Text() override;
    void SetText(const std::string& text) override;
    std::uint32_t SequenceNumber() override;
    Copier CopiedBy(platform::WindowId window) override;

private:
    // Data set after emptying an owner-less clipboard may be refused: the
    // program's own copy goes out under a hidden window of its own.
    HWND Owner();
    Window owner_;
};

}  // namespace kestrel::win32
