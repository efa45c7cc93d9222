#include "platform/text_case.h"

namespace kestrel::platform {
namespace {

// Ranges of lower-case letters: either shifted by a fixed distance to their
// capitals, or alternating capital and small letter pairwise.
struct CaseRange {
    char32_t first, last;
    int delta;  // 0: pairs, the capital at the even (or, with `oddCapital`, odd) code point
    bool oddCapital;
};

constexpr CaseRange kRanges[] = {
    {U'a', U'z', -32, false},
    {0x00E0, 0x00F6, -32, false},  // à…ö
    {0x00F8, 0x00FE, -32, false},  // ø…þ
    {0x0100, 0x012F, 0, false},    // Ā ā … Į į
    {0x0132, 0x0137, 0, false},
    {0x0139, 0x0148, 0, true},
    {0x014A, 0x0177, 0, false},
    {0x0179, 0x017E, 0, true},
    {0x01CD, 0x01DC, 0, true},
    {0x01DE, 0x01EF, 0, false},
    {0x01F8, 0x021F, 0, false},
    {0x03AD, 0x03AF, -37, false},  // έ ή ί
    {0x03B1, 0x03C1, -32, false},  // α…ρ
    {0x03C3, 0x03CB, -32, false},  // σ…ϋ
    {0x03CD, 0x03CE, -63, false},  // ύ ώ
    {0x0430, 0x044F, -32, false},  // а…я
    {0x0450, 0x045F, -80, false},  // ѐ…џ
    {0x0460, 0x0481, 0, false},
    {0x048A, 0x04BF, 0, false},
    {0x04C1, 0x04CE, 0, true},
    {0x04D0, 0x052F, 0, false},
    {0x0561, 0x0586, -48, false},  // Armenian
    {0x1E00, 0x1E95, 0, false},    // Latin extended additional
    {0x1EA0, 0x1EFF, 0, false},
    {0xFF41, 0xFF5A, -32, false},  // full-width a…z
};

}  // namespace

char32_t DecodeAt(const std::string& text, std::size_t& at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    const std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (length == 1 || at + length > text.size()) return static_cast<char32_t>(byte(at++));
    char32_t c = lead & (0x3F >> (length - 1));
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return static_cast<char32_t>(byte(at++));
        c = (c << 6) | (byte(at + i) & 0x3F);
    }
    at += length;
    return c;
}

char32_t UpperCase(char32_t c) {
    if (c == 0x00FF) return 0x0178;  // ÿ
    if (c == 0x03C2) return 0x03A3;  // final sigma
    if (c == 0x03AC) return 0x0386;  // ά
    if (c == 0x03CC) return 0x038C;  // ό
    for (const auto& r : kRanges) {
        if (c < r.first || c > r.last) continue;
        if (r.delta) return static_cast<char32_t>(static_cast<int>(c) + r.delta);
        const bool small = ((c & 1) == 1) != r.oddCapital;
        return small ? c - 1 : c;
    }
    return c;
}

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size())
        if (UpperCase(DecodeAt(a, i)) != UpperCase(DecodeAt(b, j))) return false;
    return i == a.size() && j == b.size();
}

}  // namespace kestrel::platform
