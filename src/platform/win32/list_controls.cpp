#include "platform/win32/list_controls.h"

namespace kestrel::win32 {

platform::ListText ListControls::ReadFocused(platform::WindowId, const std::string&) { return {}; }

}  // namespace kestrel::win32
