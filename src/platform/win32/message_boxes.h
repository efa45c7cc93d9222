#pragma once
#include "platform/message_boxes.h"

namespace kestrel::win32 {

// The system's message boxes. A box is a "#32770" dialog window of the thread
// that shows it; the open ones are found among the program's windows.
class MessageBoxes final : public platform::MessageBoxes {
public:
    void Show(const std::string& text, const std::string& caption, platform::Modality modality) override;
    void BringOpenBoxToFront() override;
};

}  // namespace kestrel::win32
