#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/forms.h"

namespace kestrel {

// The names the dialog shows for a hotkey: the modifier mask's (1 Shift, 2
// Ctrl, 4 Alt) and the key code's, and the combination "<mask> <key>" with its
// blank always present. Values beyond the tables have empty names.
std::string ShiftName(std::int32_t mask);
std::string KeyName(std::int32_t keyCode);
std::string HotKeyDisplayText(std::int32_t mask, std::int32_t keyCode);

// The modal dialog in which the user sets the source window's title, the
// document type, the search field and the hotkey, which is captured by
// pressing it. It edits the program's one settings object and saves it on OK.
class frmSettings {
public:
    static forms::FormDesign Design();
    // Loads the dialog, shows it modally with no owner and returns once it has
    // closed, whichever way.
    static void ShowModal();

    void Form_Load();
    void txtHotKey_KeyDown(std::int16_t KeyCode, std::int16_t Shift);
    void txtHotKey_KeyPress(std::int16_t& KeyAscii);
    void cmdOK_Click();
    void cmdCancel_Click();

private:
    std::string DisplayText(std::int16_t mask, std::int16_t keyCode) const;

    std::array<std::string, 9> sShiftNames;
    std::array<std::string, 136> sKeyNames;
    std::int16_t iHotKey = 0;
    std::int16_t iHotKeyShift = 0;
    forms::Form* form_ = nullptr;  // the loaded dialog, from Form_Load on
};

}  // namespace kestrel
