// The stored values' text conversions. The input is the stored text itself.

#include <algorithm>
#include <cctype>
#include <string_view>

#include "check.h"
#include "settings/store_text.h"

namespace kestrel::fuzz {
namespace {

// The number syntax as the header states it, written apart from the parser:
// spaces and tabs around, one optional sign, decimal digits, within 16 bits.
std::optional<std::int16_t> ExpectedInt16(const std::string& text) {
    const auto begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return std::nullopt;
    std::string_view t(text);
    t = t.substr(begin, text.find_last_not_of(" \t") + 1 - begin);
    bool negative = false;
    if (t.front() == '+' || t.front() == '-') {
        negative = t.front() == '-';
        t.remove_prefix(1);
    }
    if (t.empty() || !std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    while (t.size() > 1 && t.front() == '0') t.remove_prefix(1);
    if (t.size() > 5) return std::nullopt;
    int value = 0;
    for (char c : t) value = value * 10 + (c - '0');
    if (negative) value = -value;
    if (value < -32768 || value > 32767) return std::nullopt;
    return static_cast<std::int16_t>(value);
}

std::string AsciiCase(std::string s, bool upper) {
    for (auto& c : s) {
        const auto u = static_cast<unsigned char>(c);
        c = static_cast<char>(upper ? std::toupper(u) : std::tolower(u));
    }
    return s;
}

}  // namespace
}  // namespace kestrel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    using namespace kestrel;
    using namespace kestrel::fuzz;
    const std::string text(reinterpret_cast<const char*>(bytes), size);

    const auto number = ParseInt16(text);
    FUZZ_CHECK(number == ExpectedInt16(text));
    // What SaveSettings writes back must read as the same number.
    if (number) FUZZ_CHECK(ParseInt16(std::to_string(*number)) == number);

    const auto flag = ParseBool(text);
    FUZZ_CHECK(ParseBool(" \t" + text + "\t ") == flag);
    FUZZ_CHECK(ParseBool(AsciiCase(text, true)) == flag);
    FUZZ_CHECK(ParseBool(AsciiCase(text, false)) == flag);
    // A whole number is a number too: both conversions agree on it.
    if (number) FUZZ_CHECK(flag == (*number != 0));
    const auto word = AsciiCase(text.substr(std::min(text.size(), text.find_first_not_of(" \t"))), false);
    // Anything else it takes must be written as a number: with a digit, or infinity.
    const bool isWord = word.starts_with("true") || word.starts_with("false");
    if (flag && !isWord)
        FUZZ_CHECK(word.find_first_of("0123456789") != std::string::npos || word.find("inf") != std::string::npos);
    if (word.starts_with("true") && word.find_first_not_of(" \t", 4) == std::string::npos) FUZZ_CHECK(flag == true);
    if (word.starts_with("false") && word.find_first_not_of(" \t", 5) == std::string::npos) FUZZ_CHECK(flag == false);
    return 0;
}
