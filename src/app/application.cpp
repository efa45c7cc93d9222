#include "app/application.h"

#include <string>

#include "app/app_title.h"
#include "settings/hotkey_names.h"
#include "settings/settings_dialog.h"

namespace kestrel {

Application::Application(platform::Services services)
    : s_(services),
      capture_({s_.clipboard, s_.events, s_.desktop, s_.keyboard, s_.messageBoxes}),
      link_(settings_, capture_, {s_.programs, s_.files, s_.desktop, s_.events, s_.messageBoxes}),
      aboutBox_({s_.forms, s_.programs, s_.registry, s_.files, s_.messageBoxes}),
      mainWindow_(s_.forms, s_.messageBoxes, s_.desktop,
                  {[this] { Load(); }, [this] { OpenSettings(); }, [this] { aboutBox_.Show(); },
                   [this] { Unloading(); }}) {}

void Application::Start() {
    try {
        mainWindow_.Load();
    } catch (const std::exception& e) {
        ShowMessage(s_.messageBoxes, std::string("error in Main: ") + e.what(), platform::Modality::System);
        // End cleanly: a corrupt setting must not leave an icon behind that does nothing.
        if (mainWindow_.Loaded()) mainWindow_.form().Unload();
    }
}

void Application::Run() {
    for (;;) {
        try {
            s_.forms.RunUntilNoForms();
            return;
        } catch (const std::exception& e) {
            ShowMessage(s_.messageBoxes, std::string("error: ") + e.what(), platform::Modality::System);
        }
    }
}

void Application::Load() {
    const auto window = mainWindow_.form().Handle();
    trayIcon_.emplace(s_.notificationArea, s_.desktop, window, kAppTitle, [this] { mainWindow_.ShowMenu(); });
    mainWindow_.form().Hide();
    hotKey_.emplace(s_.hotKeys, s_.messageBoxes, window, [this] { HotKeyPressed(); });
    settings_ = LoadSettings(s_.store);
    if (settings_.Complete()) {
        link_.SetField({settings_.searchField, {}});
        link_.SetProcedure(AppLink::Procedure::Search);
        ArmHotKey();
    } else {
        OpenSettings();
    }
}

void Application::Unloading() {
    if (hotKey_) hotKey_->Disable();
    trayIcon_.reset();
}

void Application::OpenSettings() {
    if (hotKey_) hotKey_->Disable();
    SettingsDialog(s_.forms, s_.messageBoxes, s_.events, s_.store, settings_).ShowModal();
    link_.SetField({settings_.searchField, {}});
    ArmHotKey();
}

// Arms the hotkey and says so when another program holds the combination:
// otherwise the program would sit there deaf to the key the user chose.
void Application::ArmHotKey() {
    hotKey_->Enable(RegistrationModifiers(settings_.hotKeyShift),
                    static_cast<std::uint32_t>(static_cast<std::int32_t>(settings_.hotKey)));
    if (hotKey_->Registered()) return;
    auto name = HotKeyDisplayText(settings_.hotKeyShift, settings_.hotKey);
    if (!name.empty() && name.front() == ' ') name.erase(0, 1);
    ShowMessage(s_.messageBoxes,
                "The hotkey " + name + " is in use by another program. Choose another one in Settings.",
                platform::Modality::System);
}

void Application::HotKeyPressed() {
    link_.Grab();
    if (link_.field()->value.empty()) {
        ShowMessage(s_.messageBoxes, "no data found", platform::Modality::System);
        return;
    }
    link_.Run();
}

}  // namespace kestrel
