#pragma once
#include "platform/consoles.h"

namespace kestrel::win32 {

// Attaches to the console of a console window for the moment of a read and
// reads its screen buffer, ignoring the console's control events meanwhile.
class Consoles final : public platform::Consoles {
public:
    platform::ConsoleText Read(platform::WindowId window) override;
};

}  // namespace kestrel::win32
