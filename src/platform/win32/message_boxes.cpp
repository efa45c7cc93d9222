#include "platform/win32/message_boxes.h"

#include <windows.h>

#include "platform/win32/text.h"

namespace kestrel::win32 {

void MessageBoxes::Show(const std::string& text, const std::string& caption, platform::Modality modality) {
    const UINT style = modality == platform::Modality::System ? MB_OK | MB_SYSTEMMODAL : MB_OK;
    MessageBoxW(nullptr, Widen(text).c_str(), Widen(caption).c_str(), style);
}

}  // namespace kestrel::win32
