#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <regex>
#include <string>

#include "capture/value_pattern.h"
#include "platform/error.h"

namespace kestrel {
namespace {

const std::optional<std::string> kNoMatch;

struct FindRow {
    const char* pattern;
    std::string text;
    std::optional<std::string> value;
};

TEST(ValuePattern, FindsTheValueAsJavaScriptsMatchDoes) {
    const std::string many(5000, 'a');
    const FindRow rows[] = {
        {R"(No\.:\s*(\d+))", "Invoice No.: 4711   Date: 01.12.2026", "4711"},
        {R"([A-Z]+-\d{4})", "Customer: ACME-0042 (active)", "ACME-0042"},
        // greedy and lazy
        {"<(.+)>", "<a><b>", "a><b"},
        {"<(.+?)>", "<a><b>", "a"},
        {R"(\d{2,3})", "12345", "123"},
        {R"(\d{2,3}?)", "12345", "12"},
        {R"(\d{2,})", "12345", "12345"},
        {R"((a??)a)", "aa", ""},
        // alternatives in their order, the leftmost match first
        {"(a|ab)(c|bcd)", "abcd", "a"},
        {"(ab|a)", "ab", "ab"},
        {"a+|b+", "bbbaa", "bbb"},
        // the whole text's start and end, never a line's
        {R"(^\d+)", "42 x", "42"},
        {R"(^\d+)", "x 42", kNoMatch},
        {R"(\d+$)", "x 42", "42"},
        {"a$", "a\n", kNoMatch},
        {"^b", "a\nb", kNoMatch},
        {R"(\b\w{3}\b)", "abcd efg", "efg"},
        {R"(\B\w)", "ab", "b"},
        // code points of UTF-8; \w and \d ASCII, \s JavaScript's
        {"[äöü]+", "Grüße", "ü"},
        {"Gr(.)ße", "Grüße", "ü"},
        {"[^a]", "aä", "ä"},
        {"[ä-ü]+", "xöy", "ö"},
        {R"(\w+)", "Größe", "Gr"},
        {R"(\u00e4|\x41)", "xä", "ä"},
        {R"(\s(\S+))", "a\u00a0b", "b"},
        {".", "\n\r€", "€"},
        {"a.", "a\xff" "ab", "ab"},  // a byte that is not UTF-8 matches nothing
        // escapes
        {R"(\(\d+\))", "tel (030) 123", "(030)"},
        {R"([\]\-]+)", "a]-]b", "]-]"},
        {R"(a\.b)", "axb a.b", "a.b"},
        {"x*", "abc", ""},
        // a group that takes no part, or only in an earlier iteration, gives nothing
        {"(a)|b", "b", kNoMatch},
        {"(?:(a)|b){2}", "ab", kNoMatch},
        {"(?:(a)|b)+", "abab", kNoMatch},
        {"(?:b|(a))+", "baba", "a"},
        // an iteration past the minimum that matches nothing fails
        {"(a*)*b", "b", kNoMatch},
        {"(a*)+b", "b", ""},
        {"(|a)*b", "aab", "a"},
        {"(|a){0,3}b", "aab", "a"},
        {"(?:|a){0,2}", "aa", "aa"},
        {"(|a)+", "aa", "a"},
        // patterns that make a backtracking engine take exponential time
        {"(a*)*b", many, kNoMatch},
        {"(a*)*b", many + "b", many},
        {"(a|aa)*c", many + "c", "a"},
        {"(?:a+)+$", many + "!", kNoMatch},
        // only so many characters are searched, but $ sees the text's end
        {"(b)", std::string(ValuePattern::kMaxTextCharacters - 1, 'a') + "b", "b"},
        {"(b)", std::string(ValuePattern::kMaxTextCharacters, 'a') + "b", kNoMatch},
        {"a$", std::string(ValuePattern::kMaxTextCharacters, 'a') + "a", kNoMatch},
    };
    for (const auto& row : rows) EXPECT_EQ(ValuePattern(row.pattern).Find(row.text), row.value) << row.pattern;
}

struct RefusedRow {
    std::string pattern;
    const char* message;
};

TEST(ValuePattern, RefusesWhatItWouldMisreadAndSaysWhere) {
    std::string manyClasses;  // 100 times the 11 ranges of \S
    for (int i = 0; i < 100; ++i) manyClasses += "\\S";
    const RefusedRow rows[] = {
        {"x(ab", "the ( at character 2 is never closed"},
        {"ab)", ") at character 3 has no ("},
        {"*a", "nothing to repeat before * at character 1"},
        {"a**", "nothing to repeat before * at character 3"},
        {"^*", "nothing to repeat before *"},
        {R"(\b+)", "nothing to repeat before +"},
        {"a{2}{3}", "nothing to repeat before {"},
        {R"((a)\1)", R"(\1 at character 4: back-references)"},
        {"(?=a)", "look-ahead"},
        {"(?<!a)", "look-behind"},
        {"(?<n>a)", "named groups"},
        {"(?i)a", "flags"},
        {"[abc", "the [ at character 1 is never closed"},
        {"[z-a]", "the range z-a at character 2 is out of order"},
        {R"([\d-z])", "begins or ends with a class"},
        {"[]a]", "is empty"},
        {"[[:digit:]]", "inside [ ]"},
        {R"([\b])", "inside [ ]"},
        {"a{2", "does not start a count"},
        {"a{,2}", "does not start a count"},
        {"a{3,2}", "out of order"},
        {"a{1001}", "larger than"},
        {"(?:a{999}){999}", "too large"},
        {"a{600}|b|a{600}", "too large"},  // alternatives add up as they come
        {"[" + manyClasses + "]",
         "the [ at character 1 holds more than 1000 characters and ranges"},
        {std::string(ValuePattern::kMaxPatternCharacters, 'a'), "too large"},  // long enough to be compiled
        {std::string(ValuePattern::kMaxPatternCharacters - 1, 'a') + "ää", "the pattern is 4097 characters long"},
        {std::string(ValuePattern::kMaxNesting + 1, '(') + std::string(ValuePattern::kMaxNesting + 1, ')'),
         "nested deeper"},
        {R"(\q)", R"(\q at character 1 is not a known escape)"},
        {R"(\p{L})", "Unicode classes"},
        {R"(\x4g)", "hexadecimal"},
        {R"(\ud83d)", "UTF-16"},
        {"ab\\", "lone"},
        {"ä\xff", "not valid UTF-8 at character 2"},
    };
    for (const auto& row : rows) {
        try {
            ValuePattern pattern(row.pattern);
            ADD_FAILURE() << row.pattern << " was taken";
        } catch (const Error& e) {
            EXPECT_THAT(e.what(), testing::HasSubstr(row.message)) << row.pattern;
        }
    }
    // The deepest nesting allowed is taken.
    const auto deepest = ValuePattern::kMaxNesting;
    EXPECT_NO_THROW(ValuePattern(std::string(deepest, '(') + std::string(deepest, ')')));
}

// Random patterns over a small alphabet, whose repeated parts cannot match
// the empty text (where the standard engine differs from JavaScript).
std::string RandomPattern(std::mt19937& random, int depth, bool& nullable) {
    static const char* const kAtoms[] = {"a", "b", ".", "[ab]", "[^a]", R"(\w)", R"(\d)", "c"};
    static const char* const kQuantifiers[] = {"*", "+", "?", "{2}", "{1,2}", "{2,}", "*?", "+?", R"(??)", "{0,2}?"};
    std::string pattern;
    nullable = true;
    for (auto n = random() % 4; n-- > 0;) {
        bool atomNullable = false;
        std::string atom;
        const auto kind = random() % 10;
        if (kind < 6 || depth > 2) {
            atom = kAtoms[random() % std::size(kAtoms)];
        } else if (kind < 8) {
            atom = (kind == 6 ? "(" : "(?:") + RandomPattern(random, depth + 1, atomNullable);
            while (random() % 3 == 0) {
                bool more;
                atom += "|" + RandomPattern(random, depth + 1, more);
                atomNullable = atomNullable || more;
            }
            atom += ")";
        } else {
            atom = kind == 8 ? R"(\b)" : random() % 2 ? "^" : "$";
            atomNullable = true;
        }
        if (!atomNullable && random() % 3 == 0) {
            const std::string q = kQuantifiers[random() % std::size(kQuantifiers)];
            atom += q;
            atomNullable = q[0] == '*' || q[0] == '?' || q.starts_with("{0");
        }
        pattern += atom;
        nullable = nullable && atomNullable;
    }
    return pattern;
}

TEST(ValuePattern, FindsTheWholeMatchTheStandardEngineFinds) {
    std::mt19937 random(20261209);
    for (int round = 0; round < 3000; ++round) {
        bool nullable;
        const std::string pattern = RandomPattern(random, 0, nullable);
        std::string text;
        for (auto n = random() % 10; n-- > 0;) text += "ab1c "[random() % 5];
        std::smatch expected;
        const bool found = std::regex_search(text, expected, std::regex(pattern, std::regex::ECMAScript));
        // As one group, the whole match is the value.
        const auto value = ValuePattern("(" + pattern + ")").Find(text);
        EXPECT_EQ(value, found ? std::optional(expected.str(0)) : std::nullopt) << pattern << " on " << text;
    }
}

}  // namespace
}  // namespace kestrel
