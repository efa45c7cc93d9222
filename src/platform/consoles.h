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
    // Whether `window` is a console's window (by the class the system's
    // console hosts give it); if so, its selection where the system can tell
    // one, else the cursor's row, read by another process attached to the
    // window's own console for no longer than the read (this program never
    // attaches); Unreadable when it cannot be attached or read, or the answer
    // is late or malformed. Other windows cost no process nor attachment.
    // Sends no key and no control event to the console's programs, and
    // nothing a console does (closing, Ctrl+C, Ctrl+Break) ends this program.
    virtual ConsoleText Read(WindowId window) = 0;
};

}  // namespace kestrel::platform
