#pragma once
#include <functional>

#include "platform/window_id.h"

namespace kestrel::platform {

// Lets the administrator point at a field of another program, by mouse or
// by putting the focus in it.
class FieldPicker {
public:
    virtual ~FieldPicker() = default;
    // From now on the left button pressed on `button` (one of the program's
    // own) starts the mouse way: a crosshair, and the control of another
    // program under it outlined; released over it, it is picked: `picked` is
    // called with it. Released on the button itself, the press is the
    // button's click as always.
    virtual void Arm(WindowId button, std::function<void(WindowId control)> picked) = 0;
    // The mouse way without the drag: the next click picks the control under
    // the pointer; a click on one of the program's own windows gives 0.
    virtual void Track() = 0;
    // Ends the tracking (no call of `picked`), and with `disarm` the arming.
    virtual void Stop(bool disarm) = 0;
    // The control with the keyboard focus in the foreground window's thread
    // (that window itself when nothing in it has the focus); 0 when the
    // foreground window is the program's own.
    virtual WindowId FocusedControl() = 0;
    // The top-level window the control is in; 0 when it has gone.
    virtual WindowId WindowOf(WindowId control) = 0;
};

}  // namespace kestrel::platform
