#include "platform/win32/form_menus.h"

#include <algorithm>

#include "platform/error.h"
#include "platform/win32/text.h"

namespace kestrel::win32 {

FormMenus::FormMenus(const std::vector<forms::MenuDesign>& menus) {
    if (menus.empty()) return;
    bar_ = Menu(CreateMenu());
    if (!bar_) throw Error(LastErrorText("cannot create the menus", GetLastError()));
    UINT nextId = kFirstItemId;
    for (const auto& menu : menus) {
        const HMENU popup = CreatePopupMenu();
        // Appended first, so that the bar owns it from here on.
        if (!popup ||
            !AppendMenuW(bar_.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(popup), Widen(menu.caption).c_str())) {
            if (popup) DestroyMenu(popup);
            throw Error(LastErrorText("cannot create the menu " + menu.name, GetLastError()));
        }
        popups_.push_back({menu.name, popup});
        for (const auto& item : menu.items) {
            const bool separator = item.IsSeparator();
            const UINT id = separator ? 0 : nextId++;
            if (!AppendMenuW(popup, separator ? MF_SEPARATOR : MF_STRING, id,
                             separator ? nullptr : Widen(item.caption).c_str()))
                throw Error(LastErrorText("cannot create the menu item " + item.name, GetLastError()));
            if (!separator) items_.push_back({id, item.name});
        }
    }
}

bool FormMenus::Has(const std::string& menu) const {
    return std::any_of(popups_.begin(), popups_.end(), [&](const Popup& p) { return p.name == menu; });
}

std::optional<std::string> FormMenus::Track(const std::string& menu, HWND owner) const {
    const auto found = std::find_if(popups_.begin(), popups_.end(), [&](const Popup& p) { return p.name == menu; });
    if (found == popups_.end()) return std::nullopt;
    POINT at{};
    GetCursorPos(&at);
    // A menu whose owner is not in the foreground never closes when the user clicks elsewhere.
    SetForegroundWindow(owner);
    const auto chosen =
        static_cast<UINT>(TrackPopupMenu(found->menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr));
    PostMessageW(owner, WM_NULL, 0, 0);  // lets the menu's owner switch tasks cleanly afterwards
    return ItemOf(chosen);
}

std::optional<std::string> FormMenus::ItemOf(UINT id) const {
    for (const auto& item : items_)
        if (item.id == id) return item.name;
    return std::nullopt;
}

}  // namespace kestrel::win32
