// The settings dialog's hotkey names, for any stored mask and key code.

#include "check.h"
#include "settings/hotkey_names.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    using namespace kestrel;
    using namespace kestrel::fuzz;
    FuzzedDataProvider data(bytes, size);
    const auto mask = data.ConsumeIntegral<std::int32_t>();
    const auto key = data.ConsumeIntegral<std::int32_t>();

    const auto shift = ShiftName(mask);
    const auto name = KeyName(key);
    FUZZ_CHECK(HotKeyDisplayText(mask, key) == shift + " " + name);

    // Each bit of the mask shows as its modifier's name; beyond the three bits, nothing.
    const bool inTable = mask >= 1 && mask <= 7;
    FUZZ_CHECK(shift.empty() != inTable);
    FUZZ_CHECK((shift.find("Shift") != std::string::npos) == (inTable && (mask & 1)));
    FUZZ_CHECK((shift.find("Ctrl") != std::string::npos) == (inTable && (mask & 2)));
    FUZZ_CHECK((shift.find("Alt") != std::string::npos) == (inTable && (mask & 4)));

    // Key codes are one byte; letters, digits, keypad digits and function keys always have a name.
    if (key < 0 || key > 255) FUZZ_CHECK(name.empty());
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
        FUZZ_CHECK(name == std::string(1, static_cast<char>(key)));
    if (key >= 96 && key <= 105) FUZZ_CHECK(name == "Numeric keypad " + std::to_string(key - 96));
    if (key >= 112 && key <= 135) FUZZ_CHECK(name == "F" + std::to_string(key - 111));
    return 0;
}
