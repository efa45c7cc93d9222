#pragma once
#include <set>
#include <string>
#include <vector>

#include "platform/forms.h"
#include "platform/message_boxes.h"
#include "settings/settings.h"

namespace kestrel {

// What keeps the user's own values of `source`, one of `sources`, from being
// saved, as SourceProblem words it; empty when nothing does. What policy sets
// is the administrator's, never the user's fault. Source 1 may lack its
// document type and search field where another source can search.
std::string UsersProblem(const Source& source, const std::vector<Source>& sources);

// The modal dialog, opened from Settings, in which the user keeps up to nine
// sources. The boxes always show and edit the chosen source, and its line in
// the list what OK would keep; Add makes a new, empty source, Remove takes
// the chosen one away (never source 1, nor one whose values policy sets).
// OK puts the sources into the settings it was given; saving them is the
// Settings dialog's.
class SourcesDialog {
public:
    SourcesDialog(forms::FormHost& forms, platform::MessageBoxes& messageBoxes, Settings& settings);

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
    void Ok();

    forms::FormHost& forms_;
    platform::MessageBoxes& messageBoxes_;
    Settings& settings_;
    forms::Form* form_ = nullptr;
    std::vector<Source> sources_;  // as edited, by number, source 1 first
    std::vector<std::string> lines_;  // what the list shows
    std::set<int> removed_;
    std::set<int> added_;  // numbers of the sources Add made
    std::size_t chosen_ = 0;
    bool saved_ = false;
};

}  // namespace kestrel
