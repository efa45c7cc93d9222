#pragma once
#include <string>

namespace kestrel::platform {

enum class Modality {
    Application,  // OK only, over the program's own windows
    System,       // OK only, over every window: the user must see it
};

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Blocks until the user dismisses the box. The box takes the foreground:
    // Enter then dismisses it and never reaches another program.
    virtual void Show(const std::string& text, const std::string& caption, Modality modality) = 0;
    // A box of the program's that is open comes to the front again.
    virtual void BringOpenBoxToFront() = 0;
};

}  // namespace kestrel::platform
