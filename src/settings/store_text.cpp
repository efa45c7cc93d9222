#include "settings/store_text.h"

#include <cctype>

namespace kestrel {
namespace {

std::string Trim(const std::string& s) {
    const auto begin = s.find_first_not_of(" \t");
    if (begin == std::string::npos) return {};
    const auto end = s.find_last_not_of(" \t");
    return s.substr(begin, end - begin + 1);
}

bool IsDigit(char c, bool hex) {
    return hex ? std::isxdigit(static_cast<unsigned char>(c)) != 0 : std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// Whether a number as a C library would read it ("2.5", "-1e3", "0x1F",
// "inf") is other than zero; nothing when the text is no number. Read here,
// not by strtod, whose floating-point machinery would be most of this
// program's size for a yes or a no.
std::optional<bool> NonZero(const std::string& t) {
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) ++i;
    std::string rest;
    for (std::size_t j = i; j < t.size(); ++j) rest += static_cast<char>(std::tolower(static_cast<unsigned char>(t[j])));
    if (rest == "inf" || rest == "infinity") return true;
    const bool hex = rest.size() > 2 && rest[0] == '0' && rest[1] == 'x';
    if (hex) i += 2;
    bool digits = false, nonZero = false, point = false;
    long power = 0, afterPoint = 0;  // power: of ten, of the first digit other than 0
    for (; i < t.size(); ++i) {
        if (t[i] == '.' && !point) {
            point = true;
            continue;
        }
        if (!IsDigit(t[i], hex)) break;
        digits = true;
        if (point) ++afterPoint;
        if (!nonZero && t[i] != '0') {
            nonZero = true;
            power = point ? -afterPoint : 0;
        } else if (nonZero && !point) {
            ++power;
        }
    }
    if (!digits) return std::nullopt;
    long exponent = 0;
    if (i < t.size() && std::tolower(static_cast<unsigned char>(t[i])) == (hex ? 'p' : 'e')) {
        ++i;
        bool negative = false;
        if (i < t.size() && (t[i] == '-' || t[i] == '+')) negative = t[i++] == '-';
        if (i == t.size()) return std::nullopt;
        for (; i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])); ++i)
            if (exponent < 100000) exponent = exponent * 10 + (t[i] - '0');
        if (negative) exponent = -exponent;
    }
    if (i != t.size()) return std::nullopt;
    // Too small for a double, it reads as zero.
    if (nonZero && !hex && power + exponent < -324) return false;
    return nonZero;
}

}  // namespace

std::optional<std::int16_t> ParseInt16(const std::string& text) {
    const auto t = Trim(text);
    std::size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) negative = t[i++] == '-';
    if (i == t.size()) return std::nullopt;
    long value = 0;
    for (; i < t.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(t[i]))) return std::nullopt;
        value = value * 10 + (t[i] - '0');
        if (value > 32768) return std::nullopt;
    }
    if (negative) value = -value;
    if (value < -32768 || value > 32767) return std::nullopt;
    return static_cast<std::int16_t>(value);
}

std::optional<bool> ParseBool(const std::string& text) {
    const auto t = Trim(text);
    std::string lower;
    for (char c : t) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower == "true") return true;
    if (lower == "false") return false;
    return NonZero(t);
}

}  // namespace kestrel
