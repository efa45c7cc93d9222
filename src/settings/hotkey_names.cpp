#include "settings/hotkey_names.h"

#include "platform/key_codes.h"

#include <array>
#include <utility>

namespace kestrel {
namespace {

constexpr std::array<const char*, 9> kShiftNames = {
    "", "Shift", "Ctrl", "Ctrl-Shift", "Alt", "Alt-Shift", "Ctrl-Alt", "Ctrl-Alt-Shift", ""};

constexpr std::pair<int, const char*> kNamedKeys[] = {
    {3, "CANCEL"},           {8, "BACKSPACE"},         {9, "TAB"},
    {12, "CLEAR"},           {13, "ENTER"},            {19, "PAUSE"},
    {20, "CAPS LOCK"},       {27, "ESC"},              {32, "SPACEBAR"},
    {33, "PAGE UP"},         {34, "PAGE DOWN"},        {35, "END"},
    {36, "HOME"},            {37, "LEFT ARROW"},       {38, "UP ARROW"},
    {39, "RIGHT ARROW"},     {40, "DOWN ARROW"},       {41, "SELECT"},
    {43, "EXECUTE"},         {44, "PRINT SCREEN"},     {45, "INS"},
    {46, "DEL"},             {47, "HELP"},             {91, "Left Windows key"},
    {92, "Right Windows key"}, {93, "Applications key"}, {106, "Multiply"},
    {107, "Add"},            {108, "Separator"},       {109, "Substract"},
    {110, "Decimal"},        {111, "Divide"},
};

}  // namespace

std::string ShiftName(std::int32_t mask) {
    return mask >= 0 && mask < static_cast<std::int32_t>(kShiftNames.size()) ? kShiftNames[static_cast<std::size_t>(mask)]
                                                                            : "";
}

std::string KeyName(std::int32_t keyCode) {
    if ((keyCode >= '0' && keyCode <= '9') || (keyCode >= 'A' && keyCode <= 'Z'))
        return std::string(1, static_cast<char>(keyCode));
    if (keyCode >= 96 && keyCode <= 105) return "Numeric keypad " + std::to_string(keyCode - 96);
    if (platform::IsFunctionKey(keyCode)) return "F" + std::to_string(keyCode - platform::kKeyF1 + 1);
    for (const auto& [code, name] : kNamedKeys)
        if (code == keyCode) return name;
    return "";
}

std::string HotKeyDisplayText(std::int32_t mask, std::int32_t keyCode) {
    return ShiftName(mask) + " " + KeyName(keyCode);
}

}  // namespace kestrel
