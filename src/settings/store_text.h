#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace kestrel {

// The store's text conversions; nullopt when the text does not convert.
// Numbers: surrounding blanks and a sign, then decimal digits, in 16 bits.
std::optional<std::int16_t> ParseInt16(const std::string& text);
// True or False in any letter case, or any number (0 is False).
std::optional<bool> ParseBool(const std::string& text);

}  // namespace kestrel
