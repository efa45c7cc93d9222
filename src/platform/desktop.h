#pragma once
#include <string>
#include <vector>

#include "platform/window_id.h"

namespace kestrel::platform {

// A window as the capture chooses its route and the log names it.
struct WindowFacts {
    std::string title;
    std::string className;
    std::string program;  // the file name of the program that owns it
};

// Other programs' windows, as the program finds and fronts them.
class Desktop {
public:
    virtual ~Desktop() = default;
    // Brings the visible top-level window of another program with this title to
    // the front (see ChooseWindowByTitle) and returns it; throws Error when no
    // window qualifies. A window disabled behind a dialog of its own program
    // has that dialog brought instead. Never waits on a program that does not
    // answer, nor for the window to become the foreground.
    virtual WindowId ActivateByTitle(const std::string& title) = 0;
    virtual WindowId ForegroundWindow() = 0;
    // Its title, class and program; empty texts for what cannot be read.
    virtual WindowFacts Describe(WindowId window) = 0;
    // Whether the window is in front, or a window of its program with the
    // same root owner is (its dialog): keys typed now reach that program.
    virtual bool IsInFront(WindowId window) = 0;
    // Waits up to `boundMs` for the thread of the window to take its messages
    // twice over, so that input queued before has had its turn: false when it
    // had not answered by then. A thread that is busy (or handling the keys
    // just typed) answers when it is done.
    virtual bool WaitUntilAnswered(WindowId window, int boundMs) = 0;
    // One of the program's own windows to the front (its menu needs that).
    virtual void BringToFront(WindowId window) = 0;
    // Off the task list and Alt+Tab.
    virtual void HideFromTaskList(WindowId window) = 0;
};

// A top-level window as activation by title sees it.
struct WindowCandidate {
    WindowId id = 0;
    std::string title;
    bool visible = false;
    bool ownProcess = false;
};

// Only visible windows of other programs qualify. A `title` holding `*` (any
// run of characters) or `?` (one character) is a pattern the whole title must
// match, as windows that carry the record in their title need ("Invoice *
// - ACME ERP"). Without them, a title equal to `title` wins over one that
// merely begins with it. Every comparison ignores case, as users type titles
// by eye; among equals the first in z-order wins. 0 if none.
WindowId ChooseWindowByTitle(const std::vector<WindowCandidate>& windows, const std::string& title);

// Whether `text` matches `pattern` as a whole: `*` any run of characters,
// `?` one character (of UTF-8 text), the rest compared without case.
bool MatchesTitlePattern(const std::string& text, const std::string& pattern);

}  // namespace kestrel::platform
