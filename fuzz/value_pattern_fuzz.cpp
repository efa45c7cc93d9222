// The value pattern: compiled from what an administrator types, run on what
// a source program shows. The input is the pattern, a NUL, then the text.
// Short ASCII inputs are checked against the standard library's ECMAScript
// engine, which backtracks and so is only safe on those.

#include <regex>
#include <string_view>
#include <vector>

#include "capture/value_pattern.h"
#include "check.h"
#include "platform/error.h"

namespace kestrel::fuzz {
namespace {

// RFC 3629's table, written apart from the engine's decoder.
bool IsUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto b = [&](std::size_t k) { return i + k < s.size() ? static_cast<unsigned char>(s[i + k]) : 0u; };
        const unsigned lead = b(0);
        auto tail = [&](std::size_t k, unsigned low = 0x80, unsigned high = 0xBF) {
            return b(k) >= low && b(k) <= high;
        };
        std::size_t length;
        if (lead < 0x80) length = 1;
        else if (lead >= 0xC2 && lead <= 0xDF && tail(1)) length = 2;
        else if (lead == 0xE0 && tail(1, 0xA0) && tail(2)) length = 3;
        else if (((lead >= 0xE1 && lead <= 0xEC) || lead == 0xEE || lead == 0xEF) && tail(1) && tail(2)) length = 3;
        else if (lead == 0xED && tail(1, 0x80, 0x9F) && tail(2)) length = 3;
        else if (lead == 0xF0 && tail(1, 0x90) && tail(2) && tail(3)) length = 4;
        else if (lead >= 0xF1 && lead <= 0xF3 && tail(1) && tail(2) && tail(3)) length = 4;
        else if (lead == 0xF4 && tail(1, 0x80, 0x8F) && tail(2) && tail(3)) length = 4;
        else return false;
        i += length;
    }
    return true;
}

bool IsAscii(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

bool IsQuantifier(std::string_view pattern, std::size_t i) {
    return i < pattern.size() && std::string_view("*+?{").find(pattern[i]) != std::string_view::npos;
}

bool RepeatsAGroup(std::string_view pattern) {
    for (std::size_t i = pattern.find(')'); i != std::string_view::npos; i = pattern.find(')', i + 1))
        if (IsQuantifier(pattern, i + 1)) return true;
    return false;
}

// Whether a repeated group may match nothing: the standard engine takes
// such an iteration, so its matches differ, and it takes exponential time on
// many of them. A group with an assertion is taken as one that may.
bool RepeatsAGroupThatMayBeEmpty(const std::string& pattern) {
    std::vector<std::size_t> open;
    bool inBracket = false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '\\') {
            ++i;
        } else if (inBracket) {
            inBracket = c != ']';
        } else if (c == '[') {
            inBracket = true;
            if (i + 1 < pattern.size() && pattern[i + 1] == '^') ++i;
        } else if (c == '(') {
            open.push_back(i);
        } else if (c == ')' && !open.empty()) {
            std::string inner = pattern.substr(open.back() + 1, i - open.back() - 1);
            open.pop_back();
            if (!IsQuantifier(pattern, i + 1)) continue;
            if (StartsWith(inner, "?:")) inner.erase(0, 2);
            for (std::size_t k = 0; k < inner.size(); ++k)
                if ((inner[k] == '^' && (k == 0 || inner[k - 1] != '[')) || inner[k] == '$' ||
                    (inner[k] == '\\' && k + 1 < inner.size() && (inner[k + 1] == 'b' || inner[k + 1] == 'B')))
                    return true;
            try {
                if (std::regex_match(std::string(), std::regex("(?:" + inner + ")", std::regex::ECMAScript)))
                    return true;
            } catch (const std::regex_error&) {
                return true;
            }
        }
    }
    return false;
}

std::optional<std::string> Compiled(const std::string& pattern, const std::string& text) {
    try {
        return ValuePattern(pattern).Find(text);
    } catch (const Error& e) {
        FUZZ_CHECK(*e.what() != '\0');
        throw;
    }
}

}  // namespace
}  // namespace kestrel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    using namespace kestrel;
    using namespace kestrel::fuzz;
    const std::string_view input(reinterpret_cast<const char*>(bytes), size);
    const auto cut = std::min(input.find('\0'), input.size());
    const std::string pattern(input.substr(0, cut));
    const std::string text(input.substr(std::min(cut + 1, input.size())));

    std::optional<std::string> value;
    try {
        value = Compiled(pattern, text);
    } catch (const Error&) {
        return 0;
    }
    if (value) {
        FUZZ_CHECK(text.find(*value) != std::string::npos);
        FUZZ_CHECK(IsUtf8(*value));
    }

    if (pattern.size() > 16 || text.size() > 12 || !IsAscii(pattern) || !IsAscii(text)) return 0;
    if (RepeatsAGroupThatMayBeEmpty(pattern)) return 0;
    // The standard engine keeps only the low byte of a \u escape's character.
    if (pattern.find("\\u") != std::string::npos) return 0;
    std::regex oracle;
    try {
        oracle.assign(pattern, std::regex::ECMAScript);
    } catch (const std::regex_error&) {
        return 0;  // this engine takes a little more than the standard one
    }
    std::smatch m;
    const bool found = std::regex_search(text, m, oracle);
    // As one group, the whole match is the value.
    std::optional<std::string> whole;
    try {
        whole = ValuePattern("(" + pattern + ")").Find(text);
    } catch (const Error&) {
        return 0;  // one group more made it too large
    }
    FUZZ_CHECK(found == whole.has_value());
    if (found) {
        FUZZ_CHECK(*whole == m.str(0));
        if (m.size() == 1) FUZZ_CHECK(value == whole);
        // The standard engine keeps a group from an earlier iteration and
        // takes an empty one, where JavaScript does neither.
        else if (!RepeatsAGroup(pattern)) FUZZ_CHECK(value == (m[1].matched ? std::optional(m.str(1)) : std::nullopt));
    }
    return 0;
}
