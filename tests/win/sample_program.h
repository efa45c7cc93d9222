#pragma once
// The program's own objects on the real services, with the settings a test of
// the whole hotkey needs: a search for document type Claims in the window
// `sourceWindow` by `field`, on Ctrl+Shift+F11, and the stub runner at the
// runner's place. The settings go again with the test.
#include <string>

#include "app/application.h"
#include "settings/settings.h"
#include "win/win_support.h"

namespace kestrel::wintest {

class SampleProgramWinTest : public WinTest {
protected:
    static constexpr const wchar_t* kSettingsRoot = L"Software\\VB and VBA Program Settings\\Kestrel";

    SampleProgramWinTest(const std::string& sourceWindow, const std::string& field) {
        RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsRoot);
        Settings settings;
        settings.sources[0].window = sourceWindow;
        settings.sources[0].documentType = "Claims";
        settings.sources[0].searchField = field;
        settings.hotKey = VK_F11;
        settings.hotKeyShift = 3;  // Ctrl+Shift
        SaveSettings(services.store, settings);
    }
    ~SampleProgramWinTest() override {
        if (program.mainWindow().Loaded()) program.mainWindow().form().Unload();
        RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsRoot);
    }

    InstalledRunner runner_;
    Application program{services};
};

}  // namespace kestrel::wintest
