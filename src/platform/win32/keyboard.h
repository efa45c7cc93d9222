#pragma once
#include "platform/keyboard.h"

namespace kestrel::win32 {

class Keyboard final : public platform::Keyboard {
public:
    bool IsDown(platform::KeyCode key) override;
    std::size_t Send(const std::vector<platform::KeyEvent>& events) override;
};

}  // namespace kestrel::win32
