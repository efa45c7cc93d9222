#pragma once
#include <cstdint>

#include "platform/event_loop.h"
#include "platform/forms.h"
#include "platform/message_boxes.h"
#include "platform/settings_store.h"
#include "settings/settings.h"
#include "settings/sources_dialog.h"

namespace kestrel {

// The modal dialog in which the user sets the source window's title, the
// document type, the search field and the hotkey, which is captured by
// pressing it; Sources... opens the list of every source. It edits the
// program's settings and saves them, sources and all, on OK.
class SettingsDialog {
public:
    // `picking`: for the Sources dialog's Pick field..., which lends it the hotkey the boxes show.
    SettingsDialog(forms::FormHost& forms, platform::MessageBoxes& messageBoxes, platform::EventLoop& events,
                   platform::SettingsStore& store, Settings& settings, const FieldPicking* picking = nullptr);

    static forms::FormDesign Design();

    // Loads the dialog, shows it modally with no owner and returns once it has
    // closed, whichever way: true when OK stored the edited settings, which
    // only then replace the program's.
    bool ShowModal();
    // While it is open: to the front, or closed as Cancel would.
    void BringToFront();
    void Cancel();

private:
    void Load(forms::Form& form);
    void HotKeyDown(forms::KeyDownArgs& key);
    void OpenSources();
    // The settings as edited: the Sources dialog's and the boxes' (the hotkey aside).
    Settings Edited() const;
    void Ok();

    forms::FormHost& forms_;
    platform::MessageBoxes& messageBoxes_;
    platform::EventLoop& events_;
    platform::SettingsStore& store_;
    Settings& settings_;
    const FieldPicking* picking_;
    forms::Form* form_ = nullptr;  // the loaded dialog, while it is open
    SourcesDialog* sourcesDialog_ = nullptr;  // while it is open over this one
    Settings pending_;  // what OK saves, as far as the Sources dialog edited it
    bool saved_ = false;
    // The combination the box shows, saved by OK.
    std::int16_t pendingKey_ = 0;
    std::int16_t pendingShift_ = 0;
};

}  // namespace kestrel
