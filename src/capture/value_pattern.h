#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// A regular expression that picks the value out of the text taken from a
// source program. The syntax is what JavaScript, .NET and C++'s ECMAScript
// grammar share: literals; . (any character but \n, \r, U+2028, U+2029);
// [...] and [^...] with ranges and escapes; \d \D \w \W (ASCII) \s \S
// (JavaScript's spaces); \t \n \r \f \v \xHH \uHHHH and a backslash before
// any ASCII punctuation (a ] or } alone stands for itself too); * + ? {n}
// {n,} {n,m} and their lazy forms; |; ( ) and (?: ); ^ and $ (the whole
// text's start and end, never a line's); \b \B. Case-sensitive, on the code
// points of UTF-8 text. What the others read differently or this engine
// lacks is refused with a message, never guessed: back-references,
// look-around, named groups, flags, an unescaped [ inside [ ], a { that does
// not start a count, an empty [ ].
//
// Find gives what JavaScript's String.prototype.match gives, without
// backtracking: the leftmost match, alternatives and quantifiers tried in
// their order, an iteration beyond a quantifier's minimum that matches
// nothing counts as failed, and groups in a repeated part hold only what the
// last iteration matched. Time is bounded by the text's length times the
// program's, memory by the program's.
class ValuePattern {
public:
    // Only the first this many characters of a text are searched: a match
    // must end within them, though ^, $ and \b still see the text around
    // them ($ matches only at the text's real end).
    // A value lies in a line or a cell, far inside this.
    static constexpr std::size_t kMaxTextCharacters = 8192;
    // The compiled program's bound, counts spelt out: `.{0,500}` is about
    // 1000 steps. Find's time is this times the text's length at worst, about
    // a seventh of a second for the longest text.
    static constexpr std::size_t kMaxSteps = 1000;
    static constexpr int kMaxCount = 1000;   // the largest n or m in {n,m}
    static constexpr int kMaxNesting = 32;   // groups within groups
    // A longer pattern is refused before anything is compiled: a value's
    // pattern is a line or two. Compiling keeps every piece within kMaxSteps
    // as it goes, and each [ ] within kMaxClassRanges before it is sorted.
    static constexpr std::size_t kMaxPatternCharacters = 4096;
    static constexpr std::size_t kMaxClassRanges = 1000;

    // Compiles the pattern (UTF-8); a kestrel::Error whose what() says what
    // is wrong and at which character, if it cannot.
    explicit ValuePattern(std::string_view pattern);

    // The value in the text (UTF-8): the first match's first capturing group,
    // or the whole match when the pattern has no group; nothing when nothing
    // matches or that group took no part in the match. Bytes that are not
    // UTF-8 are characters that nothing matches, so a value is always a
    // piece of the text and valid UTF-8.
    std::optional<std::string> Find(std::string_view text) const;

    enum class Op : std::uint8_t { Char, Class, Split, Jump, Save, Clear, Assert, Fail, Match };
    // One step of the program; next and alt are relative to the step's own
    // place, so a piece of program can be copied as it is.
    struct Step {
        Op op;
        std::int32_t arg;       // Char: the code point; Class: its first range; Save: the slot; Assert: the kind
        std::int32_t next = 1;  // where to go on (Split: the preferred way)
        std::int32_t alt = 0;   // Split: the other way; Class: the number of ranges
    };

private:
    std::vector<Step> program_;
    std::vector<char32_t> ranges_;  // the classes' ranges: first, last, first, last...
    bool hasGroup_ = false;
};

}  // namespace kestrel
