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
    // Its program runs with more rights than this one (as administrator):
    // the system drops the keys this program types into it.
    bool higherRights = false;
};

// A window inside another, or that window itself, as the terminal route asks.
struct ControlFacts {
    WindowId id = 0;
    std::string className;
    std::string program;  // the file name of the program that owns it
};

// A window inside another, as a source's ValueFrom names it.
struct ChildWindow {
    WindowId id = 0;
    int controlId = 0;  // as its parent numbers it (a dialog's control ID)
    std::string className;
    std::string realClassName;  // the system's base class, where it reports one
};

// A top-level window as activation by title sees it.
struct WindowCandidate {
    WindowId id = 0;
    std::string title;
    bool visible = false;
    bool ownProcess = false;
    bool cloaked = false;  // kept from the user by the system: another virtual desktop, a suspended app
    bool shell = false;    // the shell's own: the taskbar, the desktop
};

// Other programs' windows, as the program finds and fronts them.
class Desktop {
public:
    virtual ~Desktop() = default;
    // Every top-level window, the front first, with its whole title (however
    // long) and what decides whether a press may take it.
    virtual std::vector<WindowCandidate> TopLevelWindows() = 0;
    // Brings the window to the front: restored if minimised; a window
    // disabled behind a dialog of its own program has that dialog brought
    // instead. Never waits on a program that does not answer, nor for the
    // window to become the foreground.
    virtual void Activate(WindowId window) = 0;
    virtual WindowId ForegroundWindow() = 0;
    // Its title, class and program; empty texts for what cannot be read.
    virtual WindowFacts Describe(WindowId window) = 0;
    // The control with the keyboard focus in the thread of `window`, then each
    // window it lies in, up to and with `window` itself (just that when the
    // focus is elsewhere): a program may host another's window in its own.
    virtual std::vector<ControlFacts> FocusPath(WindowId window) = 0;
    // Every window inside `window`, at any depth, in the order the system
    // enumerates them (each one before those inside it). Asks the program nothing.
    virtual std::vector<ChildWindow> Descendants(WindowId window) = 0;
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

}  // namespace kestrel::platform
