// The program users run: the system's services, the application on them, and
// its message loop until no window of the program remains loaded; or,
// started by itself with the console reader's option, that reader alone.
#include <windows.h>

#include <cstdlib>
#include <exception>

#include "app/application.h"
#include "platform/win32/console_pipe.h"
#include "platform/win32/console_reader.h"
#include "platform/win32/system_library.h"
#include "platform/win32/win32_services.h"

// The library's own handler for an exception nobody catches prints the
// exception's demangled type to the console, which this program does not
// have; it would bring a 46 KB name demangler into the program for that.
// Ending at once is what remains of it without a console.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
    kestrel::win32::SystemLibrary::LoadOnlyFromSystemFolder();
    // Started by itself to read consoles: none of the program but that.
    if (const auto pipe = kestrel::win32::ConsoleReaderPipe(arguments)) return kestrel::win32::RunConsoleReader(*pipe);
    kestrel::win32::Win32Services services;
    kestrel::Application app(services.services());
    app.Start();
    app.Run();
    return 0;
}
