#pragma once
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/control_classes.h"
#include "platform/desktop.h"
#include "platform/field_picker.h"
#include "platform/forms.h"
#include "platform/message_boxes.h"
#include "settings/settings.h"

namespace kestrel {

// What keeps the user's own values of `source`, one of `sources`, from being
// saved, as SourceProblem words it; empty when nothing does. What policy sets
// is the administrator's, never the user's fault. Source 1 may lack its
// document type and search field where another source can search.
std::string UsersProblem(const Source& source, const std::vector<Source>& sources);

// What Pick field... needs besides the dialog.
struct FieldPicking {
    platform::FieldPicker& picker;
    platform::Desktop& desktop;  // the picked field's window and its fields
    // Sends the presses of the combination (a key code and modifier mask, as
    // the settings keep them) to `onPress` until called with none; false when
    // the combination is no hotkey now.
    std::function<bool(std::int16_t key, std::int16_t shift, std::function<void()> onPress)> lendHotKey;
    // The text of `control`, of that kind, as a press reads it (a list's
    // chosen item, in `column` of a list view); throws Error saying why it
    // cannot be read. Nothing else changes: no key, no clipboard.
    std::function<std::string(platform::WindowId control, platform::ControlKind kind, const std::string& column)>
        readField;
    // The hotkey the administrator presses in the field.
    std::int16_t hotKey = 0;
    std::int16_t hotKeyShift = 0;
};

// The modal dialog, opened from Settings, in which the user keeps up to nine
// sources. The boxes always show and edit the chosen source, and its line in
// the list what OK would keep; Add makes a new, empty source, Remove takes
// the chosen one away (never source 1, nor one whose values policy sets).
// OK puts the sources into the settings it was given; saving them is the
// Settings dialog's. Pick field... fills in Value from with the field the
// administrator points at, or puts the focus in and presses the hotkey (while
// the dialog waits, a press is that, not a search); without `picking`, it is off.
class SourcesDialog {
public:
    SourcesDialog(forms::FormHost& forms, platform::MessageBoxes& messageBoxes, Settings& settings,
                  const FieldPicking* picking = nullptr);

    static forms::FormDesign Design();
    // A line of the list: the source's number, title and document type, and
    // why it is skipped when it cannot search.
    static std::string ListLine(const Source& source);

    // Shows it modally and returns once it has closed: true when OK put the
    // edited sources into the settings.
    bool ShowModal();
    void BringToFront();
    void Cancel();

private:
    void Load(forms::Form& form);
    void ShowChosen();
    void FillList();
    void Chosen();
    void BoxChanged(const char* box, const char* value);
    void Add();
    void Remove();
    void Try();
    void Pick();
    void HotKeyInField();
    void Picked(platform::WindowId control);
    void EndWait();
    void Ok();

    forms::FormHost& forms_;
    platform::MessageBoxes& messageBoxes_;
    Settings& settings_;
    const FieldPicking* picking_;
    bool waiting_ = false;  // for the click on the field or the hotkey in it
    forms::Form* form_ = nullptr;
    std::vector<Source> sources_;  // as edited, by number, source 1 first
    std::vector<std::string> lines_;  // what the list shows
    std::set<int> removed_;
    std::set<int> added_;  // numbers of the sources Add made
    std::size_t chosen_ = 0;
    bool saved_ = false;
};

}  // namespace kestrel
