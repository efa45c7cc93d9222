#include "platform/desktop.h"

#include <cctype>

namespace kestrel::platform {
namespace {

bool EqualsNoCase(const std::string& a, const std::string& b, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// The length of the UTF-8 character that begins at `i`.
std::size_t CharLength(const std::string& s, std::size_t i) {
    std::size_t n = 1;
    while (i + n < s.size() && (static_cast<unsigned char>(s[i + n]) & 0xC0) == 0x80) ++n;
    return n;
}

}  // namespace

bool MatchesTitlePattern(const std::string& text, const std::string& pattern) {
    // Greedy with one step back: the last `*` seen takes one character more
    // whenever what follows it fails.
    std::size_t t = 0, p = 0;
    std::size_t starAt = std::string::npos, resumeText = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starAt = p++;
            resumeText = t;
        } else if (p < pattern.size() && pattern[p] == '?') {
            t += CharLength(text, t);
            ++p;
        } else if (p < pattern.size() && Lower(pattern[p]) == Lower(text[t])) {
            ++t;
            ++p;
        } else if (starAt != std::string::npos) {
            p = starAt + 1;
            resumeText += CharLength(text, resumeText);
            t = resumeText;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

WindowId ChooseWindowByTitle(const std::vector<WindowCandidate>& windows, const std::string& title) {
    if (title.find_first_of("*?") != std::string::npos) {
        for (const auto& w : windows)
            if (w.visible && !w.ownProcess && MatchesTitlePattern(w.title, title)) return w.id;
        return 0;
    }
    WindowId prefixMatch = 0;
    for (const auto& w : windows) {
        if (!w.visible || w.ownProcess || w.title.size() < title.size()) continue;
        if (!EqualsNoCase(w.title, title, title.size())) continue;
        if (w.title.size() == title.size()) return w.id;
        if (!prefixMatch) prefixMatch = w.id;
    }
    return prefixMatch;
}

}  // namespace kestrel::platform
