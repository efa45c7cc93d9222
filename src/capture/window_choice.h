#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop.h"

namespace kestrel {

// Which window a configured Source Window Title finds. Only visible windows
// of other programs qualify, never one the system keeps from the user
// (cloaked) nor the shell's own. A title holding `*` (any run of characters)
// or `?` (one character) is a pattern the whole title must match, as windows
// that carry the record in their title need ("Invoice * - ACME ERP").
// Without them, a title equal to it wins over one that merely begins with it.
// Every comparison ignores case as Windows compares titles, for every letter;
// among equals the first in z-order wins.
platform::WindowId ChooseWindowByTitle(const std::vector<platform::WindowCandidate>& windows,
                                       const std::string& wanted);

// Whether `title` matches `pattern` as a whole: `*` any run of characters,
// `?` one character, the rest compared without case.
bool MatchesTitlePattern(const std::string& title, const std::string& pattern);

// Brings the window `wanted` finds to the front and returns it; throws Error
// when none qualifies.
platform::WindowId ActivateByTitle(platform::Desktop& desktop, const std::string& wanted);

// How a source's title finds a window, the weakest first: an empty title
// takes the window in front.
enum class TitleFit { None, Untitled, Prefix, Pattern, Exact };

// Which of the configured titles a press serves, and in which window, by one
// rule for one source and several alike. If a title finds the window in
// front, that window, for the most specific source that finds it: an exact
// title before a pattern, a pattern before a title that is only a prefix,
// more literal characters before fewer, then the lower place in `titles`;
// an empty title takes the window in front as the weakest fit. Else each
// titled source's best window (its best fit, the nearest the front among
// equals), for the most specific source by the same order. The window in
// front must qualify like any other. None when no source finds a window.
struct SourceChoice {
    std::size_t source = 0;
    platform::WindowId window = 0;
    bool activate = false;  // the window is not in front yet
    TitleFit fit = TitleFit::None;
    std::size_t literals = 0;  // the title's characters other than * and ?
    // The most specific of the other sources that found a window too; a tie
    // with it went to the lower place.
    std::optional<std::size_t> runnerUp;
    bool tie = false;
};
std::optional<SourceChoice> ChooseSource(const std::vector<platform::WindowCandidate>& windows,
                                         platform::WindowId foreground, const std::vector<std::string>& titles);

// Why the choice was made, for the log; `numbers` are the sources' numbers
// in the order of the titles ("the window in front matches its pattern, 9
// literal characters; more specific than source 1").
std::string ChoiceReason(const SourceChoice& choice, const std::vector<int>& numbers);

}  // namespace kestrel
