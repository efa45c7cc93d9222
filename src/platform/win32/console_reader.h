#pragma once
#include <windows.h>

namespace kestrel::win32 {

// The program started as its own console reader: answers each window the
// pipe brings with that console's text, attached to the console for the
// read alone, until the pipe closes or nothing is asked for a while. A
// console that closes or interrupts while attached ends this process, which
// is why the program itself never attaches. Shows nothing, claims nothing,
// reads no settings and writes no log. Returns the process's exit code.
int RunConsoleReader(HANDLE pipe);

}  // namespace kestrel::win32
