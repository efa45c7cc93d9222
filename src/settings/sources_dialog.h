#pragma once
#include <string>
#include <vector>

#include "platform/forms.h"
#include "platform/message_boxes.h"
#include "settings/settings.h"

namespace kestrel {

// The modal dialog, opened from Settings, in which the user keeps up to nine
// sources: picks one from the list to see and edit its values in the boxes,
// adds one from the boxes, changes the chosen one to them, or removes it
// (never source 1, nor one whose values policy sets). OK puts the sources
// into the settings it was given; saving them is the Settings dialog's.
class SourcesDialog {
public:
    SourcesDialog(forms::FormHost& forms, platform::MessageBoxes& messageBoxes, Settings& settings);

    static forms::FormDesign Design();
    // A line of the list: the source's number, title and document type.
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
    Source Edited() const;
    // Says what keeps the source from being kept, and returns true, if anything.
    bool Refused(const Source& source);
    void Add();
    void Change();
    void Remove();
    void Try();
    void Ok();

    forms::FormHost& forms_;
    platform::MessageBoxes& messageBoxes_;
    Settings& settings_;
    forms::Form* form_ = nullptr;
    std::vector<Source> sources_;  // source 1 first
    std::set<int> removed_;
    std::size_t chosen_ = 0;
    bool saved_ = false;
};

}  // namespace kestrel
