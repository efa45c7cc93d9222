#include "app/application.h"

#include <string>

#include "platform/app_title.h"
#include "settings/hotkey_names.h"

namespace kestrel {

Application::Application(platform::Services services)
    : s_(services),
      capture_({s_.clipboard, s_.events, s_.desktop, s_.keyboard, s_.messageBoxes, s_.textControls, s_.consoles}),
      link_(settings_, capture_, {s_.programs, s_.files, s_.desktop, s_.events, s_.messageBoxes}),
      aboutBox_({s_.forms, s_.programs, s_.registry, s_.files, s_.messageBoxes}),
      mainWindow_(s_.forms, s_.messageBoxes, s_.desktop,
                  {[this] { Load(); }, [this] { OpenSettings(); }, [this] { aboutBox_.Show(); }, [this] { Exit(); },
                   [this] { Unloading(); }}) {}

void Application::Start() {
    // One program per session: a second start has asked the first for its
    // Settings and ends without a word.
    if (!s_.instances.ClaimSession()) return;
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
    trayIcon_.emplace(TrayIcon::Services{s_.notificationArea, s_.desktop, s_.timers, s_.events}, window, kAppTitle,
                      [this] { mainWindow_.ShowMenu(); });
    // A second start asks for Settings, as the tray menu would open them.
    s_.instances.ListenForLaterStarts(window, [this] { mainWindow_.OpenSettings(); });
    mainWindow_.form().Hide();
    hotKey_.emplace(s_.hotKeys, s_.messageBoxes, window, [this] { HotKeyPressed(); });
    std::string problem;
    settings_ = LoadSettings(s_.store, &s_.policy, &problem);
    link_.SetField({settings_.searchField, {}});
    link_.SetProcedure(AppLink::Procedure::Search);
    if (!problem.empty()) {
        // Said, but the program stays: Settings is the way to repair it.
        settingsUnreadable_ = true;
        ShowMessage(s_.messageBoxes, "error in Main: " + problem, platform::Modality::System);
    } else if (settings_.Complete()) {
        ArmHotKey();
    } else {
        OpenSettings();
    }
}

void Application::Unloading() {
    if (hotKey_) hotKey_->Disable();
    trayIcon_.reset();
}

void Application::Exit() {
    // The dialog goes first, as Cancel would, so nothing is left open under it.
    if (openDialog_) openDialog_->Cancel();
    if (mainWindow_.Loaded()) mainWindow_.form().Unload();
}

void Application::OpenSettings() {
    if (openDialog_) {
        openDialog_->BringToFront();
        return;
    }
    if (hotKey_) hotKey_->Disable();
    SettingsDialog dialog(s_.forms, s_.messageBoxes, s_.events, s_.store, settings_);
    openDialog_ = &dialog;
    bool saved = false;
    try {
        saved = dialog.ShowModal();
    } catch (...) {
        openDialog_ = nullptr;
        AfterSettings();
        throw;
    }
    openDialog_ = nullptr;
    if (saved) settingsUnreadable_ = false;
    AfterSettings();
}

// However the dialog ended, the hotkey is armed again from the settings in force.
void Application::AfterSettings() {
    if (!mainWindow_.Loaded()) return;  // Exit while the dialog was open
    link_.SetField({settings_.searchField, {}});
    ArmHotKey();
}

// Arms the hotkey and says so when another program holds the combination:
// otherwise the program would sit there deaf to the key the user chose.
void Application::ArmHotKey() {
    // Not set up, no hotkey: the key stays with other programs and nothing
    // runs the runner with an empty document type.
    if (settingsUnreadable_ || !settings_.Complete()) return;
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
    if (!link_.Grab()) return;  // the capture has said why
    if (link_.field()->value.empty()) {
        ShowMessage(s_.messageBoxes, "no data found", platform::Modality::System);
        return;
    }
    link_.Run();
}

}  // namespace kestrel
