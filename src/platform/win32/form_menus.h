#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/forms.h"
#include "platform/win32/handles.h"

namespace kestrel::win32 {

// A form's menus. The design's menu bar is never attached to the window: its
// menus serve as pop-up menus, and their items are told apart by command id.
class FormMenus {
public:
    // Item ids stay clear of the control ids.
    static constexpr UINT kFirstItemId = 1000;

    FormMenus() = default;
    // Throws Error naming the menu or item that could not be made.
    explicit FormMenus(const std::vector<forms::MenuDesign>& menus);

    bool Has(const std::string& menu) const;
    // Pops up the menu at the mouse position for `owner` and waits for the
    // user: the chosen item's name, none when the menu was dismissed.
    std::optional<std::string> Track(const std::string& menu, HWND owner) const;
    // The name of the item a WM_COMMAND reports, none for another id.
    std::optional<std::string> ItemOf(UINT id) const;

private:
    struct Popup {
        std::string name;
        HMENU menu = nullptr;  // owned by the bar
    };
    struct Item {
        UINT id = 0;
        std::string name;
    };

    Menu bar_;
    std::vector<Popup> popups_;
    std::vector<Item> items_;
};

}  // namespace kestrel::win32
