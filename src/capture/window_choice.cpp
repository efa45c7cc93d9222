#include "capture/window_choice.h"

#include <algorithm>

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

TitleFit Fit(const std::u32string& title, const std::u32string& wanted, bool pattern) {
    if (pattern) return MatchesFolded(title, wanted) ? TitleFit::Pattern : TitleFit::None;
    if (title.compare(0, wanted.size(), wanted) != 0) return TitleFit::None;
    return title.size() == wanted.size() ? TitleFit::Exact : TitleFit::Prefix;
}

// A source's title, ready to compare.
struct Wanted {
    std::u32string folded;
    bool pattern = false;
    std::size_t literals = 0;
};

Wanted Prepared(const std::string& title) {
    Wanted w{Folded(title), IsPattern(title), 0};
    for (const char32_t c : w.folded) w.literals += c != U'*' && c != U'?';
    return w;
}

// How specific a fit is: the fit, then the literal characters.
struct Rank {
    TitleFit fit = TitleFit::None;
    std::size_t literals = 0;
    friend bool operator<(const Rank& a, const Rank& b) {
        return a.fit != b.fit ? a.fit < b.fit : a.literals < b.literals;
    }
    friend bool operator==(const Rank&, const Rank&) = default;
};

}  // namespace

bool MatchesTitlePattern(const std::string& title, const std::string& pattern) {
    return MatchesFolded(Folded(title), Folded(pattern));
}

platform::WindowId ChooseWindowByTitle(const std::vector<platform::WindowCandidate>& windows,
                                       const std::string& wanted) {
    const auto w = Prepared(wanted);
    platform::WindowId prefixMatch = 0;
    for (const auto& candidate : windows) {
        if (!Qualifies(candidate)) continue;
        const auto fit = Fit(Folded(candidate.title), w.folded, w.pattern);
        if (fit == TitleFit::Exact || fit == TitleFit::Pattern) return candidate.id;
        if (fit == TitleFit::Prefix && !prefixMatch) prefixMatch = candidate.id;
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
    std::vector<Wanted> wanted;
    for (const auto& title : titles) wanted.push_back(Prepared(title));
    std::vector<std::u32string> folded;  // each qualifying window's title, in z-order
    std::vector<const platform::WindowCandidate*> qualifying;
    for (const auto& w : windows)
        if (Qualifies(w)) qualifying.push_back(&w), folded.push_back(Folded(w.title));
    std::size_t frontAt = qualifying.size();
    for (std::size_t at = 0; at < qualifying.size(); ++at)
        if (qualifying[at]->id == foreground) frontAt = at;

    // Each source's best fit and its window: the window in front alone in
    // the first round, every window in the second.
    for (const bool frontOnly : {true, false}) {
        std::vector<Rank> ranks(titles.size());
        std::vector<std::size_t> found(titles.size(), qualifying.size());
        for (std::size_t i = 0; i < titles.size(); ++i) {
            if (titles[i].empty()) {
                if (frontOnly && frontAt < qualifying.size()) ranks[i] = {TitleFit::Untitled, 0}, found[i] = frontAt;
                continue;
            }
            const std::size_t from = frontOnly ? frontAt : 0;
            const std::size_t to = frontOnly ? std::min(frontAt + 1, qualifying.size()) : qualifying.size();
            for (std::size_t at = from; at < to; ++at) {
                const Rank rank{Fit(folded[at], wanted[i].folded, wanted[i].pattern), wanted[i].literals};
                if (rank.fit != TitleFit::None && ranks[i] < rank) ranks[i] = rank, found[i] = at;
            }
        }
        std::optional<std::size_t> best, second;
        for (std::size_t i = 0; i < titles.size(); ++i) {
            if (ranks[i].fit == TitleFit::None) continue;
            if (!best || ranks[*best] < ranks[i]) {
                second = best;
                best = i;
            } else if (!second || ranks[*second] < ranks[i]) {
                second = i;
            }
        }
        if (!best) continue;
        const auto window = qualifying[found[*best]]->id;
        return SourceChoice{*best,           window, window != foreground, ranks[*best].fit, ranks[*best].literals,
                            second,          second && ranks[*second] == ranks[*best]};
    }
    return std::nullopt;
}

std::string ChoiceReason(const SourceChoice& choice, const std::vector<int>& numbers) {
    const bool front = !choice.activate;
    std::string why;
    switch (choice.fit) {
    case TitleFit::Untitled: why = "no title: the window in front"; break;
    case TitleFit::Exact:
        why = front ? "the window in front has its title" : "the nearest window with its title";
        break;
    case TitleFit::Pattern:
        why = std::string(front ? "the window in front matches" : "the nearest window to match") + " its pattern, " +
              std::to_string(choice.literals) + " literal characters";
        break;
    default: why = front ? "the window in front begins with its title" : "the nearest window to begin with its title";
    }
    if (!front) why = "no source finds the window in front; " + why;
    if (choice.runnerUp && *choice.runnerUp < numbers.size()) {
        const auto other = "source " + std::to_string(numbers[*choice.runnerUp]);
        why += choice.tie ? "; " + other + " fits as well, the lower number first" : "; more specific than " + other;
    }
    return why;
}

}  // namespace kestrel
