#include "settings/sources_dialog.h"

#include <algorithm>

#include "platform/app_title.h"
#include "settings/pattern_check.h"

namespace kestrel {

using forms::ControlKind;
using forms::MakeControl;

namespace {

// The boxes, by the value each shows.
struct Box {
    const char* name;
    const char* value;
};
constexpr Box kBoxes[] = {
    {"txtWindow", setting::kSourceWindow}, {"txtDocType", setting::kDocumentType},
    {"txtSearchField", setting::kSearchField}, {"txtPattern", setting::kValuePattern},
    {"txtColumn", setting::kColumn},
};

std::string* Value(Source& s, const char* name) {
    using namespace setting;
    const std::string key = name;
    if (key == kSourceWindow) return &s.window;
    if (key == kDocumentType) return &s.documentType;
    if (key == kSearchField) return &s.searchField;
    if (key == kValuePattern) return &s.valuePattern;
    return &s.column;
}

}  // namespace

SourcesDialog::SourcesDialog(forms::FormHost& forms, platform::MessageBoxes& messageBoxes, Settings& settings)
    : forms_(forms), messageBoxes_(messageBoxes), settings_(settings) {}

forms::FormDesign SourcesDialog::Design() {
    forms::FormDesign d;
    d.name = "frmSources";
    d.caption = "Sources";
    d.border = forms::Border::FixedDialog;
    d.clientWidth = 6735;
    d.clientHeight = 6360;
    d.start = forms::StartPosition::CenterScreen;
    d.defaultButton = "cmdOK";
    d.cancelButton = "cmdCancel";
    d.controls = {
        MakeControl("lblSources", ControlKind::Label, "&Sources", 240, 120, 1815, 255, 0),
        MakeControl("lstSources", ControlKind::ListBox, "", 240, 420, 4800, 1755, 1),
        MakeControl("cmdAdd", ControlKind::Button, "&Add", 5280, 360, 1215, 375, 2),
        MakeControl("cmdChange", ControlKind::Button, "C&hange", 5280, 840, 1215, 375, 3),
        MakeControl("cmdRemove", ControlKind::Button, "&Remove", 5280, 1320, 1215, 375, 4),
        MakeControl("lblWindow", ControlKind::Label, "&Window title", 240, 2520, 1815, 255, 5),
        MakeControl("txtWindow", ControlKind::TextBox, "", 2160, 2400, 4335, 375, 6),
        MakeControl("lblDocType", ControlKind::Label, "&Document type", 240, 3000, 1815, 255, 7),
        MakeControl("txtDocType", ControlKind::TextBox, "", 2160, 2880, 4335, 375, 8),
        MakeControl("lblSearchField", ControlKind::Label, "Search &field", 240, 3480, 1815, 255, 9),
        MakeControl("txtSearchField", ControlKind::TextBox, "", 2160, 3360, 4335, 375, 10),
        MakeControl("lblPattern", ControlKind::Label, "Value &pattern", 240, 3960, 1815, 255, 11),
        MakeControl("txtPattern", ControlKind::TextBox, "", 2160, 3840, 4335, 375, 12),
        MakeControl("lblColumn", ControlKind::Label, "Co&lumn", 240, 4440, 1815, 255, 13),
        MakeControl("txtColumn", ControlKind::TextBox, "", 2160, 4320, 4335, 375, 14),
        MakeControl("lblSample", ControlKind::Label, "Sa&mple line", 240, 4920, 1815, 255, 15),
        MakeControl("txtSample", ControlKind::TextBox, "", 2160, 4800, 2895, 375, 16),
        MakeControl("cmdTry", ControlKind::Button, "&Try", 5280, 4800, 1215, 375, 17),
        MakeControl("lblValue", ControlKind::Label, "", 2160, 5280, 4335, 255, 18),
        MakeControl("cmdOK", ControlKind::Button, "OK", 3840, 5760, 1215, 375, 19),
        MakeControl("cmdCancel", ControlKind::Button, "Cancel", 5280, 5760, 1215, 375, 20),
    };
    // Each label's access key goes to the box after it in tab order.
    for (auto& c : d.controls)
        if (c.kind == ControlKind::Label) c.useMnemonic = true;
    return d;
}

std::string SourcesDialog::ListLine(const Source& source) {
    const std::string title = source.window.empty() ? "(the window in front)" : source.window;
    return std::to_string(source.number) + ". " + title + " - " + source.documentType;
}

bool SourcesDialog::ShowModal() {
    forms::Handlers h;
    h.load = [this](forms::Form& form) { Load(form); };
    h.unload = [this](bool&) { form_ = nullptr; };
    h.OnClick("lstSources", [this] { Chosen(); });
    h.OnClick("cmdAdd", [this] { Add(); });
    h.OnClick("cmdChange", [this] { Change(); });
    h.OnClick("cmdRemove", [this] { Remove(); });
    h.OnClick("cmdTry", [this] { Try(); });
    h.OnClick("cmdOK", [this] { Ok(); });
    h.OnClick("cmdCancel", [this] { Cancel(); });
    saved_ = false;
    const auto form = forms_.Load(Design(), std::move(h));
    if (form->Loaded()) form->ShowModal();
    form_ = nullptr;
    return saved_;
}

void SourcesDialog::BringToFront() {
    if (form_) form_->Show();
}

void SourcesDialog::Cancel() {
    if (form_) form_->Unload();
}

void SourcesDialog::Load(forms::Form& form) {
    form_ = &form;
    // Skipped sections are not shown; they stay as they are.
    sources_.clear();
    for (const auto& source : settings_.sources)
        if (source.number == 1 || source.Complete()) sources_.push_back(source);
    removed_ = settings_.removedSources;
    chosen_ = 0;
    FillList();
    ShowChosen();
    form.SetFocus("lstSources");
}

void SourcesDialog::FillList() {
    std::vector<std::string> lines;
    for (const auto& s : sources_) lines.push_back(ListLine(s));
    form_->SetItems("lstSources", lines);
    form_->SetListIndex("lstSources", static_cast<int>(chosen_));
}

void SourcesDialog::ShowChosen() {
    auto& source = sources_[chosen_];
    for (const auto& box : kBoxes) {
        form_->SetText(box.name, *Value(source, box.value));
        // What policy sets is the administrator's: shown, not editable.
        form_->SetEnabled(box.name, !source.FromPolicy(box.value));
    }
    form_->SetText("lblValue", "");
    form_->SetEnabled("cmdRemove", chosen_ > 0 && source.fromPolicy.empty());
}

void SourcesDialog::Chosen() {
    const int index = form_->ListIndex("lstSources");
    // The same line again keeps what the boxes hold.
    if (index < 0 || static_cast<std::size_t>(index) == chosen_) return;
    chosen_ = static_cast<std::size_t>(index);
    ShowChosen();
}

Source SourcesDialog::Edited() const {
    Source edited = sources_[chosen_];
    for (const auto& box : kBoxes)
        if (!edited.FromPolicy(box.value)) *Value(edited, box.value) = form_->Text(box.name);
    return edited;
}

bool SourcesDialog::Refused(const Source& source) {
    std::string why;
    if (source.searchField.empty())
        why = "Please enter a field to search.";
    else if (source.documentType.empty())
        why = "Please enter a Document Type.";
    else if (const auto problem = PatternProblem(source.valuePattern); !problem.empty())
        why = "The value pattern of source " + std::to_string(source.number) + " does not read: " + problem;
    if (why.empty()) return false;
    ShowMessage(messageBoxes_, "error: cannot save settings.  " + why, platform::Modality::System);
    return true;
}

void SourcesDialog::Add() {
    Source added = Edited();
    added.fromPolicy.clear();  // the boxes' texts are the new source's own, whoever set them
    Settings taken;
    taken.sources = sources_;
    const auto skipped = settings_.Skipped();
    taken.sources.insert(taken.sources.end(), skipped.begin(), skipped.end());
    added.number = taken.FreeSourceNumber();
    if (added.number == 0) {
        ShowMessage(messageBoxes_, "error: cannot add a source.  There are as many as Kestrel keeps.",
                    platform::Modality::System);
        return;
    }
    if (Refused(added)) return;
    const auto at = std::find_if(sources_.begin() + 1, sources_.end(),
                                 [&](const Source& s) { return s.number > added.number; });
    const auto inserted = sources_.insert(at, added);
    chosen_ = static_cast<std::size_t>(inserted - sources_.begin());
    removed_.erase(added.number);
    FillList();
    ShowChosen();
}

void SourcesDialog::Change() {
    const auto edited = Edited();
    if (Refused(edited)) return;
    sources_[chosen_] = edited;
    FillList();
}

void SourcesDialog::Remove() {
    const auto& source = sources_[chosen_];
    if (chosen_ == 0 || !source.fromPolicy.empty()) return;
    removed_.insert(source.number);
    sources_.erase(sources_.begin() + static_cast<std::ptrdiff_t>(chosen_));
    chosen_ = std::min(chosen_, sources_.size() - 1);
    FillList();
    ShowChosen();
    form_->SetFocus("lstSources");
}

void SourcesDialog::Try() {
    const auto pattern = form_->Text("txtPattern");
    if (const auto problem = PatternProblem(pattern); !problem.empty()) {
        form_->SetText("lblValue", "The pattern does not read: " + problem);
        return;
    }
    const auto value = ValueFromSample(pattern, form_->Text("txtSample"));
    form_->SetText("lblValue", value ? "Value: " + *value : "No value in this line.");
}

void SourcesDialog::Ok() {
    // What the boxes hold counts as if Change had been pressed.
    const auto edited = Edited();
    if (Refused(edited)) return;
    sources_[chosen_] = edited;
    for (std::size_t i = 0; i < sources_.size(); ++i) {
        if (i == chosen_) continue;
        if (Refused(sources_[i])) {
            chosen_ = i;
            FillList();
            ShowChosen();
            return;
        }
    }
    auto kept = sources_;
    const auto skipped = settings_.Skipped();
    kept.insert(kept.end(), skipped.begin(), skipped.end());
    std::sort(kept.begin(), kept.end(), [](const Source& a, const Source& b) { return a.number < b.number; });
    settings_.sources = std::move(kept);
    settings_.removedSources = removed_;
    saved_ = true;
    form_->Unload();
}

}  // namespace kestrel
