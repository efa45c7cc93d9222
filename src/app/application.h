#pragma once
#include <optional>

#include "about/about_box.h"
#include "app/event_log.h"
#include "app/hotkey.h"
#include "app/main_window.h"
#include "capture/text_capture.h"
#include "app/tray_icon.h"
#include "link/app_link.h"
#include "platform/services.h"
#include "settings/settings.h"
#include "settings/settings_dialog.h"

namespace kestrel {

// The program: it owns the settings, the link, the main window, the tray icon
// and the hotkey, and gives each the services it uses.
class Application {
public:
    explicit Application(platform::Services services);
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Loads the hidden main window with its icon and hotkey, opening Settings
    // first when they are incomplete. A start-up error is reported ("error in
    // Main: ...") and the main window unloaded, so the program ends cleanly.
    // Another program of the session already running: nothing is loaded.
    void Start();
    // Handles messages until no window of the program remains; an error that
    // escapes a handler is reported and the program goes on.
    void Run();

    const Settings& settings() const { return settings_; }
    const AppLink& link() const { return link_; }
    MainWindow& mainWindow() { return mainWindow_; }
    AboutBox& aboutBox() { return aboutBox_; }
    const HotKey* hotKey() const { return hotKey_ ? &*hotKey_ : nullptr; }
    const EventLog& log() const { return log_; }

private:
    void Load();
    void Unloading();
    void Exit();
    void OpenSettings();
    void AfterSettings();
    void ArmHotKey();
    // Those not the same in `before`, when given.
    void ReportSources(const Settings* before = nullptr);
    void SettingsChanged();
    void Reload();
    void ReportControlClasses();
    void HotKeyPressed();
    bool LendHotKey(std::int16_t key, std::int16_t shift, std::function<void()> onPress);
    std::string ReadField(platform::WindowId control, platform::ControlKind kind, const std::string& column);
    void LogPress(std::int64_t runnerMs);
    void LogSettings(const std::string& problem);
    void RestoreCopyTimes();
    void StoreCopyTimes(bool now);

    // Before the services the parts get: they show their boxes through the log.
    EventLog log_;
    LoggedMessageBoxes boxes_;
    platform::Services s_;
    Settings settings_;
    TextCapture capture_;
    AppLink link_;
    AboutBox aboutBox_;
    MainWindow mainWindow_;
    std::optional<TrayIcon> trayIcon_;
    std::optional<HotKey> hotKey_;
    // A stored value did not read: the hotkey stays off until OK stores good ones.
    bool settingsUnreadable_ = false;
    SettingsDialog* openDialog_ = nullptr;
    // A change was heard that the settings have not been read again for yet,
    // and what holds the reading back meanwhile.
    bool reloadWanted_ = false;
    bool reloading_ = false;
    bool pressing_ = false;
    FieldPicking picking_;
    // While the Sources dialog waits for a pick: a press is that, not a search.
    std::function<void()> pickPress_;
    // When the learned copy times were last stored, and how many entries the store holds.
    std::optional<std::int64_t> copyTimesStoredAt_;
    std::size_t copyTimesInStore_ = 0;
};

}  // namespace kestrel
