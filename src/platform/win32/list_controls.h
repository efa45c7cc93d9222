#pragma once
#include "platform/list_controls.h"

namespace kestrel::win32 {

// Asks the source's focused list view, list box, drop-down list or tree view
// for the chosen item, reading its structures in the source's memory as the
// source's bitness lays them out.
class ListControls final : public platform::ListControls {
public:
    platform::ListText ReadFocused(platform::WindowId window, const std::string& column) override;
};

}  // namespace kestrel::win32
