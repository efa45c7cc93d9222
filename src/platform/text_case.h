#pragma once
#include <cstddef>
#include <string>

namespace kestrel::platform {

// Case-blind comparison of UTF-8 text as Windows compares window titles and
// names ignoring case (an ordinal comparison of upper-cased characters):
// every cased letter of the Latin, Greek, Cyrillic and Armenian scripts, not
// only ASCII. Bytes that are no UTF-8 compare as themselves.

// The character that begins at `at`, and where the next one begins.
char32_t DecodeAt(const std::string& text, std::size_t& at);
// Its upper-case form (itself when it has none).
char32_t UpperCase(char32_t c);
bool EqualsIgnoringCase(const std::string& a, const std::string& b);

}  // namespace kestrel::platform
