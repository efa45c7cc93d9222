#pragma once
#include <string>
#include <vector>

#include "platform/window_id.h"

namespace kestrel::platform {

// What a console window's screen buffer holds where the user means it.
struct ConsoleText {
    enum class Kind {
        NotAConsole,  // the window is no console's
        Selection,    // `rows`: the selected block, one row each, cut to its columns
        CursorLine,   // `rows`: the cursor's row alone
        Unreadable,   // a console's window, but its buffer could not be read
    };
    Kind kind = Kind::NotAConsole;
    std::vector<std::string> rows;  // as the buffer holds them, padding blanks included
};

// Reads console windows instead of typing into them: there Ctrl+C is an
// interrupt that ends the program at work, not a copy.
class Consoles {
public:
    virtual ~Consoles() = default;
    // Whether `window` is the window of a console that some process is
    // attached to, as the system tells it; if so, its selection where the
    // system can tell one, else the cursor's row. Sends no key and no control
    // event to the console's programs, and never ends this program.
    virtual ConsoleText Read(WindowId window) = 0;
};

}  // namespace kestrel::platform
