#pragma once
#include <string>

#include "platform/control_classes.h"
#include "platform/window_id.h"

namespace kestrel::platform {

// What the control with the keyboard focus answered about its text.
struct ControlText {
    enum class Kind {
        Text,       // an edit or rich edit: `text` is what a copy would give
        Password,   // a password box: never read
        NotAnEdit,  // no control of that kind has the focus
        NoAnswer,   // it did not answer in time
    };
    Kind kind = Kind::NotAnEdit;
    std::string text;
};

// Asks the source's focused control for its text instead of typing into it.
class TextControls {
public:
    virtual ~TextControls() = default;
    // The control with the keyboard focus in the thread of `window`. If it is
    // an edit or rich-edit control as `classes` knows its class,
    // its selected text, or with only a caret the text of the caret's line as
    // Home, Shift+End would select it (the visual line in a word-wrapped box).
    // Every question waits about a second at most; a control that does not
    // answer says NoAnswer. Its selection and caret stay as they were.
    virtual ControlText ReadFocused(WindowId window, const ControlClasses& classes) = 0;
    // The whole text of `control`, an edit, rich edit, static text, button or
    // combo box by `kind`, as it answers for its text (NotAnEdit for any other
    // kind; a password box is never read). Waits about a second at most.
    virtual ControlText ReadWhole(WindowId control, ControlKind kind) = 0;
};

}  // namespace kestrel::platform
