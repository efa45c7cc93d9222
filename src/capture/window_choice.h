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

// Which of several configured titles a press serves, and in which window:
// the window in front when a titled source finds it (the first in order that
// does); else a source with no title, which takes the window in front; else
// the titled source whose window is nearest the front, to be activated.
// None when no source finds a window.
struct SourceChoice {
    std::size_t source = 0;
    platform::WindowId window = 0;
    bool activate = false;  // the window is not in front yet
};
std::optional<SourceChoice> ChooseSource(const std::vector<platform::WindowCandidate>& windows,
                                         platform::WindowId foreground, const std::vector<std::string>& titles);

}  // namespace kestrel
