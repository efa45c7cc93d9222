// The program users run: the real services behind the seam, then Main, then
// the message loop until no window of the program remains loaded.
#include <windows.h>

#include <string>

#include "app/application.h"
#include "app/frmmain.h"
#include "link/clsAppLink.h"
#include "platform/win32/win32_services.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace kestrel;
    platform::Install(win32::RealServices());
    modMain::Main();
    // The handlers report their own failures; anything else that escapes one is
    // reported here, and the program goes on rather than vanish from the tray.
    for (;;) {
        try {
            platform::Current().forms->RunUntilNoForms();
            break;
        } catch (const std::exception& e) {
            ShowMessage(std::string("error: ") + e.what(), platform::kMbSystemModal);
        }
    }
    // The atom goes with the main window object, the settings with the controller.
    frmmain::Release();
    ResetAppLink();
    return 0;
}
