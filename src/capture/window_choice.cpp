#include "capture/window_choice.h"

#include "platform/error.h"
#include "platform/text_case.h"

namespace kestrel {
namespace {

// The text as upper-case characters, for comparisons that ignore case.
std::u32string Folded(const std::string& text) {
    std::u32string folded;
    for (std::size_t at = 0; at < text.size();) folded += platform::UpperCase(platform::DecodeAt(text, at));
    return folded;
}

bool MatchesFolded(const std::u32string& text, const std::u32string& pattern) {
    // Greedy with one step back: the last `*` seen takes one character more
    // whenever what follows it fails.
    std::size_t t = 0, p = 0;
    std::size_t starAt = std::u32string::npos, resumeText = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == U'*') {
            starAt = p++;
            resumeText = t;
        } else if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == text[t])) {
            ++t;
            ++p;
        } else if (starAt != std::u32string::npos) {
            p = starAt + 1;
            t = ++resumeText;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*') ++p;
    return p == pattern.size();
}

bool Qualifies(const platform::WindowCandidate& w) { return w.visible && !w.ownProcess && !w.cloaked && !w.shell; }

bool IsPattern(const std::string& wanted) { return wanted.find_first_of("*?") != std::string::npos; }

// 2: the title is the one wanted (or matches its pattern); 1: it begins with
// it; 0: neither.
int Fit(const std::u32string& title, const std::u32string& wanted, bool pattern) {
    if (pattern) return MatchesFolded(title, wanted) ? 2 : 0;
    if (title.compare(0, wanted.size(), wanted) != 0) return 0;
    return title.size() == wanted.size() ? 2 : 1;
}

}  // namespace

bool MatchesTitlePattern(const std::string& title, const std::string& pattern) {
    return MatchesFolded(Folded(title), Folded(pattern));
}

platform::WindowId ChooseWindowByTitle(const std::vector<platform::WindowCandidate>& windows,
                                       const std::string& wanted) {
    const auto folded = Folded(wanted);
    const bool pattern = IsPattern(wanted);
    platform::WindowId prefixMatch = 0;
    for (const auto& w : windows) {
        if (!Qualifies(w)) continue;
        const int fit = Fit(Folded(w.title), folded, pattern);
        if (fit == 2) return w.id;
        if (fit == 1 && !prefixMatch) prefixMatch = w.id;
    }
    return prefixMatch;
}

platform::WindowId ActivateByTitle(platform::Desktop& desktop, const std::string& wanted) {
    const auto id = ChooseWindowByTitle(desktop.TopLevelWindows(), wanted);
    if (!id) throw Error("no window is titled \"" + wanted + "\"");
    desktop.Activate(id);
    return id;
}

std::optional<SourceChoice> ChooseSource(const std::vector<platform::WindowCandidate>& windows,
                                         platform::WindowId foreground, const std::vector<std::string>& titles) {
    const platform::WindowCandidate* front = nullptr;
    for (const auto& w : windows)
        if (w.id == foreground && Qualifies(w)) front = &w;
    if (front) {
        const auto title = Folded(front->title);
        for (std::size_t i = 0; i < titles.size(); ++i)
            if (!titles[i].empty() && Fit(title, Folded(titles[i]), IsPattern(titles[i])))
                return SourceChoice{i, foreground, false};
    }
    for (std::size_t i = 0; i < titles.size(); ++i)
        if (titles[i].empty()) return SourceChoice{i, foreground, false};
    std::optional<SourceChoice> nearest;
    std::size_t nearestAt = windows.size();
    for (std::size_t i = 0; i < titles.size(); ++i) {
        const auto id = ChooseWindowByTitle(windows, titles[i]);
        for (std::size_t at = 0; id && at < nearestAt; ++at)
            if (windows[at].id == id) {
                nearestAt = at;
                nearest = SourceChoice{i, id, id != foreground};
            }
    }
    return nearest;
}

}  // namespace kestrel
