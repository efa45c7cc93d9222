#include "capture/value_pattern.h"

#include <algorithm>
#include <array>
#include <utility>

#include "platform/error.h"

namespace kestrel {
namespace {

using Step = ValuePattern::Step;
using Op = ValuePattern::Op;
using Range = std::pair<char32_t, char32_t>;
using Ranges = std::vector<Range>;

constexpr char32_t kLastCodePoint = 0x10FFFF;
constexpr char32_t kNotUtf8 = 0x110000;  // a byte that is not UTF-8: nothing matches it
constexpr char32_t kNone = 0x110001;     // before the text's start, after its end

enum Assertion : std::int32_t { kBegin, kEnd, kWordBoundary, kNotWordBoundary };

constexpr Range kDigits[] = {{'0', '9'}};
constexpr Range kWordCharacters[] = {{'0', '9'}, {'A', 'Z'}, {'_', '_'}, {'a', 'z'}};
constexpr Range kSpaces[] = {{'\t', '\r'},     {' ', ' '},       {0xA0, 0xA0},     {0x1680, 0x1680},
                             {0x2000, 0x200A}, {0x2028, 0x2029}, {0x202F, 0x202F}, {0x205F, 0x205F},
                             {0x3000, 0x3000}, {0xFEFF, 0xFEFF}};
constexpr Range kLineBreaks[] = {{'\n', '\n'}, {'\r', '\r'}, {0x2028, 0x2029}};

struct Decoded {
    char32_t c;
    std::size_t length;
};

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
Decoded DecodeUtf8(std::string_view s, std::size_t i) {
    if (i >= s.size()) return {kNone, 0};
    const auto lead = static_cast<unsigned char>(s[i]);
    if (lead < 0x80) return {lead, 1};
    std::size_t length;
    char32_t c, least;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, c = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, c = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, c = lead & 0x07, least = 0x10000;
    } else {
        return {kNotUtf8, 1};
    }
    if (s.size() - i < length) return {kNotUtf8, 1};
    for (std::size_t k = 1; k < length; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) return {kNotUtf8, 1};
        c = c << 6 | (b & 0x3F);
    }
    if (c < least || c > kLastCodePoint || (c >= 0xD800 && c <= 0xDFFF)) return {kNotUtf8, 1};
    return {c, length};
}

std::string EncodeUtf8(char32_t c) {
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else {
        const int length = c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        s += static_cast<char>((0xF00 >> length) | (c >> (6 * (length - 1))));
        for (int k = length - 2; k >= 0; --k) s += static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F));
    }
    return s;
}

bool IsWordCharacter(char32_t c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || c == '_' || (c >= 'a' && c <= 'z');
}

// Sorted, with touching and overlapping ranges joined.
void Normalize(Ranges& ranges) {
    // Insertion: a class has few ranges, and std::sort would cost the program more.
    for (std::size_t i = 1; i < ranges.size(); ++i)
        for (std::size_t k = i; k > 0 && ranges[k] < ranges[k - 1]; --k) std::swap(ranges[k], ranges[k - 1]);
    Ranges joined;
    for (const auto& r : ranges) {
        if (!joined.empty() && r.first <= joined.back().second + 1)
            joined.back().second = std::max(joined.back().second, r.second);
        else
            joined.push_back(r);
    }
    ranges = std::move(joined);
}

Ranges Complement(Ranges ranges) {
    Normalize(ranges);
    Ranges rest;
    char32_t from = 0;
    for (const auto& r : ranges) {
        if (r.first > from) rest.push_back({from, r.first - 1});
        from = r.second + 1;
    }
    if (from <= kLastCodePoint) rest.push_back({from, kLastCodePoint});
    return rest;
}

template <std::size_t N>
Ranges Set(const Range (&ranges)[N], bool negated) {
    Ranges set(ranges, ranges + N);
    return negated ? Complement(std::move(set)) : set;
}

// A piece of program and whether it can match the empty text.
struct Fragment {
    std::vector<Step> code;
    bool nullable = true;
};

void Append(std::vector<Step>& to, const std::vector<Step>& code) { to.insert(to.end(), code.begin(), code.end()); }

// What a backslash escape stands for.
struct Escape {
    enum Kind { Character, Set, Boundary } kind;
    char32_t c = 0;
    Ranges set;
};

// A recursive descent parser that builds the program piece by piece; its depth is
// bounded by kMaxNesting.
class Compiler {
public:
    Compiler(const std::vector<char32_t>& pattern, std::vector<char32_t>& ranges) : p_(pattern), ranges_(ranges) {}

    Fragment Pattern() {
        Fragment f = Alternation(0);
        if (i_ < p_.size()) Refuse(")", i_, " has no ( before it");
        return f;
    }
    int Groups() const { return groups_; }

private:
    // "what`shown` at character N`rest`": every message says where.
    [[noreturn]] static void Refuse(std::string_view what, std::size_t at, std::string_view rest, char32_t shown = 0) {
        std::string message(what);
        if (shown) message += EncodeUtf8(shown);
        message += " at character " + std::to_string(at + 1);
        message += rest;
        throw Error(message);
    }
    bool At(char32_t c) const { return i_ < p_.size() && p_[i_] == c; }

    static void CheckSize(std::size_t steps) {
        if (steps > ValuePattern::kMaxSteps)
            throw Error("the pattern is too large: with its counts spelt out it has more than " +
                        std::to_string(ValuePattern::kMaxSteps) + " steps");
    }

    Fragment Alternation(int depth) {
        std::vector<Fragment> alternatives;
        alternatives.push_back(Sequence(depth));
        // Checked as they come: the whole must fit, so no alternative is
        // compiled once the ones before have taken the room.
        std::size_t steps = alternatives.back().code.size();
        while (At('|')) {
            ++i_;
            alternatives.push_back(Sequence(depth));
            steps += alternatives.back().code.size() + 2;
            CheckSize(steps);
        }
        // Split(this one, the rest); this one; Jump past the rest; the rest.
        Fragment rest = std::move(alternatives.back());
        for (std::size_t k = alternatives.size() - 1; k-- > 0;) {
            const Fragment& first = alternatives[k];
            Fragment both;
            both.nullable = first.nullable || rest.nullable;
            both.code.push_back({Op::Split, 0, 1, static_cast<std::int32_t>(first.code.size() + 2)});
            Append(both.code, first.code);
            both.code.push_back({Op::Jump, 0, static_cast<std::int32_t>(rest.code.size() + 1)});
            Append(both.code, rest.code);
            rest = std::move(both);
        }
        return rest;
    }

    Fragment Sequence(int depth) {
        Fragment sequence;
        while (i_ < p_.size() && p_[i_] != '|' && p_[i_] != ')') {
            const Fragment f = Quantified(depth);
            CheckSize(sequence.code.size() + f.code.size());
            Append(sequence.code, f.code);
            sequence.nullable = sequence.nullable && f.nullable;
        }
        return sequence;
    }

    // {n}, {n,} or {n,m} at i_, or nothing (i_ unmoved) if it is not one.
    std::optional<std::pair<int, int>> Count() {
        std::size_t j = i_ + 1;
        const auto number = [&]() -> std::optional<int> {
            const std::size_t from = j;
            int n = 0;
            for (; j < p_.size() && p_[j] >= '0' && p_[j] <= '9'; ++j)
                n = std::min(n * 10 + static_cast<int>(p_[j] - '0'), ValuePattern::kMaxCount + 1);
            if (j == from) return std::nullopt;
            return n;
        };
        const auto min = number();
        if (!min) return std::nullopt;
        int max = *min;
        if (j < p_.size() && p_[j] == ',') {
            ++j;
            const auto m = number();
            max = m ? *m : -1;
        }
        if (j >= p_.size() || p_[j] != '}') return std::nullopt;
        const std::size_t at = i_;
        i_ = j + 1;
        if (*min > ValuePattern::kMaxCount || max > ValuePattern::kMaxCount)
            Refuse("the count", at, " is larger than " + std::to_string(ValuePattern::kMaxCount));
        if (max >= 0 && max < *min) Refuse("the numbers of the count", at, " are out of order");
        return std::pair{*min, max};
    }

    Fragment Quantified(int depth) {
        bool repeatable = true;
        Fragment atom = Atom(depth, repeatable);
        if (i_ >= p_.size()) return atom;
        const std::size_t at = i_;
        int min, max;
        switch (p_[i_]) {
        case '*': min = 0, max = -1, ++i_; break;
        case '+': min = 1, max = -1, ++i_; break;
        case '?': min = 0, max = 1, ++i_; break;
        case '{': {
            const auto count = Count();
            if (!count) NotACount(at);
            min = count->first, max = count->second;
            break;
        }
        default: return atom;
        }
        if (!repeatable) Refuse("nothing to repeat before ", at, "", p_[at]);
        const bool lazy = At('?');
        if (lazy) ++i_;
        return Repeat(atom, min, max, lazy);
    }

    [[noreturn]] static void NotACount(std::size_t at) {
        Refuse("the {", at, " does not start a count {n}, {n,} or {n,m}; \\{ stands for {");
    }

    // The atom min times, then up to max - min more (max < 0: any more).
    // Each iteration first forgets the first group if the atom holds it, and
    // one past the minimum that matched nothing fails, as in JavaScript: the
    // atom is then compiled twice, the first copy's characters leading into
    // the second, and the first copy's end to Fail.
    static Fragment Repeat(const Fragment& atom, int min, int max, bool lazy) {
        const bool holdsGroup = std::any_of(atom.code.begin(), atom.code.end(),
                                            [](const Step& s) { return s.op == Op::Save && s.arg == 2; });
        std::vector<Step> once;
        if (holdsGroup) once.push_back({Op::Clear, 0});
        Append(once, atom.code);
        std::vector<Step> more = once;
        if (atom.nullable) {
            const auto length = static_cast<std::int32_t>(atom.code.size());
            for (std::size_t k = more.size() - atom.code.size(); k < more.size(); ++k)
                if (more[k].op == Op::Char || more[k].op == Op::Class) more[k].next += length + 1;
            more.push_back({Op::Fail, 0});
            Append(more, atom.code);
        }
        const std::size_t optional = max < 0 ? 1 : static_cast<std::size_t>(max - min);
        CheckSize(static_cast<std::size_t>(min) * once.size() + optional * (more.size() + 2));

        Fragment f;
        f.nullable = min == 0 || atom.nullable;
        for (int k = 0; k < min; ++k) Append(f.code, once);
        const auto block = static_cast<std::int32_t>(more.size() + 1);
        // Split(go on, skip), lazy the other way round.
        const auto split = [lazy](std::int32_t skip) {
            return lazy ? Step{Op::Split, 0, skip, 1} : Step{Op::Split, 0, 1, skip};
        };
        if (max < 0) {
            f.code.push_back(split(block + 1));
            Append(f.code, more);
            f.code.push_back({Op::Jump, 0, -block});
        } else {
            for (auto left = static_cast<std::int32_t>(optional); left > 0; --left) {
                f.code.push_back(split(left * block));
                Append(f.code, more);
            }
        }
        return f;
    }

    Fragment Single(char32_t c) {
        Fragment f;
        f.nullable = false;
        f.code.push_back({Op::Char, static_cast<std::int32_t>(c)});
        return f;
    }

    Fragment Class(Ranges set) {
        Normalize(set);
        Fragment f;
        f.nullable = false;
        f.code.push_back({Op::Class, static_cast<std::int32_t>(ranges_.size() / 2), 1,
                          static_cast<std::int32_t>(set.size())});
        for (const auto& r : set) ranges_.insert(ranges_.end(), {r.first, r.second});
        return f;
    }

    static Fragment Assert(Assertion kind) {
        Fragment f;
        f.code.push_back({Op::Assert, kind});
        return f;
    }

    Fragment Atom(int depth, bool& repeatable) {
        const std::size_t at = i_;
        const char32_t c = p_[i_++];
        switch (c) {
        case '(': return Group(at, depth);
        case '[': return Class(Bracket(at));
        case '.': return Class(Set(kLineBreaks, true));
        case '^': repeatable = false; return Assert(kBegin);
        case '$': repeatable = false; return Assert(kEnd);
        case '*':
        case '+':
        case '?': Refuse("nothing to repeat before ", at, "", c);
        case '{':
            i_ = at;
            if (Count()) Refuse("nothing to repeat before {", at, "");
            NotACount(at);
        case '\\': {
            Escape e = Backslash(false);
            if (e.kind == Escape::Boundary) {
                repeatable = false;
                return Assert(e.c == 'b' ? kWordBoundary : kNotWordBoundary);
            }
            return e.kind == Escape::Set ? Class(std::move(e.set)) : Single(e.c);
        }
        default: return Single(c);
        }
    }

    Fragment Group(std::size_t at, int depth) {
        if (depth >= ValuePattern::kMaxNesting)
            Refuse("the group", at, " is nested deeper than " + std::to_string(ValuePattern::kMaxNesting) + " groups");
        bool capturing = true;
        if (At('?')) {
            const char32_t kind = i_ + 1 < p_.size() ? p_[i_ + 1] : 0;
            const char32_t then = i_ + 2 < p_.size() ? p_[i_ + 2] : 0;
            if (kind == '=' || kind == '!') Refuse("(?", at, ": look-ahead is not supported", kind);
            if (kind == '<' && (then == '=' || then == '!')) Refuse("(?<", at, ": look-behind is not supported", then);
            if (kind == '<' || kind == 'P' || kind == '\'') Refuse("(?", at, ": named groups are not supported", kind);
            if (kind != ':') Refuse("(?", at, " is not supported (flags, look-around and named groups are not)", kind);
            i_ += 2;
            capturing = false;
        }
        const bool first = capturing && ++groups_ == 1;
        Fragment inner = Alternation(depth + 1);
        if (!At(')')) Refuse("the (", at, " is never closed");
        ++i_;
        if (first) {
            inner.code.insert(inner.code.begin(), Step{Op::Save, 2});
            inner.code.push_back({Op::Save, 3});
        }
        return inner;
    }

    // After [ at `at`: the set of characters up to and with the closing ].
    Ranges Bracket(std::size_t at) {
        const bool negated = At('^');
        if (negated) ++i_;
        if (At(']')) Refuse("the [ ]", at, " is empty; \\] stands for ]");
        Ranges set;
        for (;;) {
            if (i_ >= p_.size()) Refuse("the [", at, " is never closed");
            if (At(']')) break;
            const std::size_t from = i_;
            Escape first = Member();
            if (At('-') && i_ + 1 < p_.size() && p_[i_ + 1] != ']') {
                ++i_;
                const Escape last = Member();
                if (first.kind != Escape::Character || last.kind != Escape::Character)
                    Refuse("the range", from, " begins or ends with a class such as \\d");
                if (first.c > last.c)
                    Refuse("the range " + EncodeUtf8(first.c) + "-", from, " is out of order", last.c);
                set.push_back({first.c, last.c});
            } else if (first.kind == Escape::Set) {
                set.insert(set.end(), first.set.begin(), first.set.end());
            } else {
                set.push_back({first.c, first.c});
            }
            if (set.size() > ValuePattern::kMaxClassRanges)
                Refuse("the [", at, " holds more than " + std::to_string(ValuePattern::kMaxClassRanges) +
                                        " characters and ranges");
        }
        ++i_;
        return negated ? Complement(std::move(set)) : set;
    }

    // One member of a [ ]: a character or an escape.
    Escape Member() {
        const std::size_t at = i_;
        const char32_t c = p_[i_++];
        if (c == '[') Refuse("the [", at, " is inside [ ]; \\[ stands for [");
        if (c != '\\') return {Escape::Character, c, {}};
        Escape e = Backslash(true);
        if (e.kind == Escape::Boundary) Refuse("\\", at, " is not supported inside [ ]", e.c);
        return e;
    }

    // The escape after the backslash at i_ - 1.
    Escape Backslash(bool inBracket) {
        const std::size_t at = i_ - 1;
        if (i_ >= p_.size()) throw Error("the pattern ends with a lone \\");
        const char32_t c = p_[i_++];
        switch (c) {
        case 'd': case 'D': return {Escape::Set, c, Set(kDigits, c == 'D')};
        case 'w': case 'W': return {Escape::Set, c, Set(kWordCharacters, c == 'W')};
        case 's': case 'S': return {Escape::Set, c, Set(kSpaces, c == 'S')};
        case 'b': case 'B': return {Escape::Boundary, c, {}};
        case 't': return {Escape::Character, '\t', {}};
        case 'n': return {Escape::Character, '\n', {}};
        case 'r': return {Escape::Character, '\r', {}};
        case 'f': return {Escape::Character, '\f', {}};
        case 'v': return {Escape::Character, '\v', {}};
        case 'x':
        case 'u': {
            const std::size_t digits = c == 'x' ? 2 : 4;
            char32_t value = 0;
            for (std::size_t k = 0; k < digits; ++k, ++i_) {
                const char32_t h = i_ < p_.size() ? p_[i_] : 0;
                const int v = h >= '0' && h <= '9' ? int(h - '0')
                            : h >= 'a' && h <= 'f' ? int(h - 'a' + 10)
                            : h >= 'A' && h <= 'F' ? int(h - 'A' + 10) : -1;
                if (v < 0)
                    Refuse("\\", at, c == 'x' ? " needs 2 hexadecimal digits" : " needs 4 hexadecimal digits", c);
                value = value * 16 + static_cast<char32_t>(v);
            }
            if (value >= 0xD800 && value <= 0xDFFF)
                Refuse("\\", at, " is half of a UTF-16 pair; write the character itself", c);
            return {Escape::Character, value, {}};
        }
        case 'k': Refuse("\\", at, ": back-references are not supported", c);
        case 'p': case 'P': Refuse("\\", at, ": Unicode classes are not supported", c);
        default: break;
        }
        if (c >= '1' && c <= '9' && !inBracket) Refuse("\\", at, ": back-references are not supported", c);
        // Any ASCII punctuation stands for itself, as in all three.
        if (c >= '!' && c <= '~' && !((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
            return {Escape::Character, c, {}};
        Refuse("\\", at, " is not a known escape", c);
    }

    const std::vector<char32_t>& p_;
    std::size_t i_ = 0;
    int groups_ = 0;
    std::vector<char32_t>& ranges_;
};

}  // namespace

ValuePattern::ValuePattern(std::string_view pattern) {
    std::size_t length = 0;
    for (const char c : pattern) length += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    if (length > kMaxPatternCharacters)
        throw Error("the pattern is " + std::to_string(length) + " characters long, over the " +
                    std::to_string(kMaxPatternCharacters) + " a value pattern may have");
    std::vector<char32_t> characters;
    characters.reserve(length);
    for (std::size_t i = 0; i < pattern.size();) {
        const Decoded d = DecodeUtf8(pattern, i);
        if (d.c == kNotUtf8)
            throw Error("the pattern is not valid UTF-8 at character " + std::to_string(characters.size() + 1));
        characters.push_back(d.c);
        i += d.length;
    }
    Compiler compiler(characters, ranges_);
    const Fragment body = compiler.Pattern();
    hasGroup_ = compiler.Groups() > 0;
    program_.push_back({Op::Save, 0});
    Append(program_, body.code);
    program_.push_back({Op::Save, 1});
    program_.push_back({Op::Match, 0});
}

// A Pike VM: every thread of the program moves through the text in step, in
// the order of their priority; a thread that reaches a step another reached
// at the same place first has the same future but lower priority, so it is
// dropped. That keeps at most one thread per step and gives what trying the
// ways one after another would.
std::optional<std::string> ValuePattern::Find(std::string_view text) const {
    using Slots = std::array<std::int32_t, 4>;  // the match's start and end, the first group's
    struct Thread {
        std::int32_t pc;
        Slots slots;
    };
    const std::size_t size = program_.size();
    std::vector<Thread> current, next, pending;
    current.reserve(size), next.reserve(size), pending.reserve(size);
    std::vector<std::uint32_t> seen(size, 0);
    std::uint32_t generation = 1;

    std::size_t pos = 0, characters = 0;
    char32_t before = kNone;
    Decoded here = DecodeUtf8(text, 0);

    // Follows the steps that take no character from t's step at `at` (after
    // `prev`, before `c`), adding the threads that wait for one to the list.
    const auto add = [&](std::vector<Thread>& list, Thread t, std::size_t at, char32_t prev, char32_t c) {
        for (;;) {
            for (bool go = true; go && seen[t.pc] != generation;) {
                seen[t.pc] = generation;
                const Step& s = program_[t.pc];
                switch (s.op) {
                case Op::Split: pending.push_back({t.pc + s.alt, t.slots}); break;
                case Op::Save: t.slots[s.arg] = static_cast<std::int32_t>(at); break;
                case Op::Clear: t.slots[2] = t.slots[3] = -1; break;
                case Op::Assert:
                    switch (s.arg) {
                    case kBegin: go = at == 0; break;
                    case kEnd: go = at == text.size(); break;
                    default: go = (IsWordCharacter(prev) != IsWordCharacter(c)) == (s.arg == kWordBoundary);
                    }
                    break;
                case Op::Fail: go = false; break;
                case Op::Jump: break;
                default: list.push_back(t), go = false; continue;
                }
                t.pc += s.next;
            }
            if (pending.empty()) return;
            t = pending.back();
            pending.pop_back();
        }
    };
    const auto takes = [&](const Step& s, char32_t c) {
        if (s.op == Op::Char) return c == static_cast<char32_t>(s.arg);
        // The first of the class's ranges that ends at or past c.
        std::int32_t low = s.arg, high = s.arg + s.alt;
        while (low < high) {
            const std::int32_t middle = low + (high - low) / 2;
            if (ranges_[2 * middle + 1] < c)
                low = middle + 1;
            else
                high = middle;
        }
        return low < s.arg + s.alt && ranges_[2 * low] <= c;
    };

    std::optional<Slots> found;
    for (;;) {
        if (!found) add(current, {0, {-1, -1, -1, -1}}, pos, before, here.c);
        const bool more = here.length > 0 && characters < kMaxTextCharacters;
        const Decoded after = more ? DecodeUtf8(text, pos + here.length) : Decoded{kNone, 0};
        ++generation;
        for (const Thread& t : current) {
            const Step& s = program_[t.pc];
            if (s.op == Op::Match) {
                found = t.slots;
                break;  // the threads after this one have lower priority
            }
            if (more && takes(s, here.c)) add(next, {t.pc + s.next, t.slots}, pos + here.length, here.c, after.c);
        }
        if (!more) break;
        current.swap(next);
        next.clear();
        pos += here.length, ++characters;
        before = here.c, here = after;
        if (found && current.empty()) break;
    }
    if (!found) return std::nullopt;
    const int from = hasGroup_ ? 2 : 0;
    const auto first = (*found)[from], last = (*found)[from + 1];
    if (first < 0 || last < first) return std::nullopt;
    return std::string(text.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(last - first)));
}

}  // namespace kestrel
