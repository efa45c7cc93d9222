#pragma once
#include "platform/message_boxes.h"

namespace kestrel::win32 {

class MessageBoxes final : public platform::MessageBoxes {
public:
    void Show(const std::string& text, const std::string& caption, platform::Modality modality) override;
};

}  // namespace kestrel::win32
