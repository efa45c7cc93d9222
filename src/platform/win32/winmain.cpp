// The program users run: the system's services, the application on them, and
// its message loop until no window of the program remains loaded.
#include <windows.h>

#include "app/application.h"
#include "platform/win32/win32_services.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    kestrel::win32::Win32Services services;
    kestrel::Application app(services.services());
    app.Start();
    app.Run();
    return 0;
}
