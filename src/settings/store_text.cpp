#include "settings/store_text.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace kestrel {
namespace {

std::string Trim(const std::string& s) {
    const auto begin = s.find_first_not_of(" \t");
    if (begin == std::string::npos) return {};
    const auto end = s.find_last_not_of(" \t");
    return s.substr(begin, end - begin + 1);
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
    if (t.empty()) return std::nullopt;
    char* end = nullptr;
    const double number = std::strtod(t.c_str(), &end);
    if (end != t.c_str() + t.size() || std::isnan(number)) return std::nullopt;
    return number != 0;
}

}  // namespace kestrel
