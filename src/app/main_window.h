#pragma once
#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "platform/desktop.h"
#include "platform/forms.h"
#include "platform/message_boxes.h"

namespace kestrel {

// The hidden main window: the program lives as long as it is loaded, and its
// menu is the one the tray icon pops up (Settings, Exit, About). What the
// commands do is the application's; a command that fails is reported
// ("error in frmmain.<command>: ...") and the program runs on.
class MainWindow {
public:
    struct Commands {
        std::function<void()> load;       // once the window exists; errors go to Load's caller
        std::function<void()> settings;   // Settings, from the menu or its button
        std::function<void()> about;
        std::function<void()> exit;       // Exit, from the menu or its button
        std::function<void()> unloading;  // before the window goes
    };

    MainWindow(forms::FormHost& forms, platform::MessageBoxes& messageBoxes, platform::Desktop& desktop,
               Commands commands);

    static forms::FormDesign Design();

    // Creates the window without showing it and runs the load command. An
    // error in that command is thrown once the window exists, so that the
    // caller can still unload it.
    void Load();
    bool Loaded() const { return self_ && self_->Loaded(); }
    // The window, from its load command on.
    forms::Form& form() { return *self_; }

    // Pops up the menu at the mouse, the window in front. It may come while a
    // command from an earlier menu still runs (its dialog is open): the
    // commands take care of that themselves.
    void ShowMenu();
    // The menu's Settings, as if chosen there.
    void OpenSettings();

private:
    forms::Handlers MakeHandlers();
    template <typename Command>
    void Guarded(const char* name, Command command);

    forms::FormHost& forms_;
    platform::MessageBoxes& messageBoxes_;
    platform::Desktop& desktop_;
    Commands commands_;
    std::unique_ptr<forms::Form> form_;
    forms::Form* self_ = nullptr;  // the loaded form, from its load handler on
    std::exception_ptr loadError_;
};

}  // namespace kestrel
