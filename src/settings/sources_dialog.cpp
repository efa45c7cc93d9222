#include "settings/sources_dialog.h"

#include <algorithm>

#include "capture/field_pick.h"
#include "platform/app_title.h"
#include "platform/text_case.h"
#include "settings/pattern_check.h"
#include "settings/source_check.h"

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
    {"txtColumn", setting::kColumn}, {"txtValueFrom", setting::kValueFrom},
};

std::string* Value(Source& s, const char* name) {
    using namespace setting;
    const std::string key = name;
    if (key == kSourceWindow) return &s.window;
    if (key == kDocumentType) return &s.documentType;
    if (key == kSearchField) return &s.searchField;
    if (key == kValuePattern) return &s.valuePattern;
    if (key == kValueFrom) return &s.valueFrom;
    return &s.column;
}

// The source with the values of one side (policy's, or the user's) made
// harmless, so that SourceProblem speaks only of the other side's.
Source Blamed(Source s, bool policy, bool missingCounts) {
    using namespace setting;
    for (auto [key, text] : {std::pair<const char*, std::string*>{kDocumentType, &s.documentType},
                             {kSearchField, &s.searchField}})
        if (s.FromPolicy(key) == policy || (!missingCounts && text->empty())) *text = "-";
    if (s.FromPolicy(kValuePattern) == policy) s.valuePattern.clear();
    if (s.FromPolicy(kValueFrom) == policy) s.valueFrom.clear();
    return s;
}

// What policy set that keeps the source from searching, for the user to see.
std::string PolicysProblem(const Source& source) {
    if (source.fromPolicy.empty()) return {};
    const auto problem = SourceProblem(Blamed(source, false, true));
    return problem.empty() ? problem : "Policy: " + problem;
}

bool Empty(const Source& s) {
    return s.window.empty() && s.documentType.empty() && s.searchField.empty() && s.valuePattern.empty() &&
           s.column.empty() && s.valueFrom.empty();
}

// One warning per complete source that a lower one always wins over: the
// same title, or no title either.
std::string Shadowed(const std::vector<Source>& sources) {
    std::string warnings;
    for (std::size_t j = 0; j < sources.size(); ++j) {
        const auto& later = sources[j];
        if (!later.Complete()) continue;
        const auto earlier = std::find_if(sources.begin(), sources.begin() + static_cast<std::ptrdiff_t>(j),
                                          [&](const Source& s) {
                                              return s.Complete() && platform::EqualsIgnoringCase(s.window, later.window);
                                          });
        if (earlier == sources.begin() + static_cast<std::ptrdiff_t>(j)) continue;
        if (!warnings.empty()) warnings += "\n";
        warnings += "warning: source " + std::to_string(later.number) + " can never be chosen: source " +
                    std::to_string(earlier->number) +
                    (later.window.empty() ? " too has no window title."
                                          : " has the same window title, \"" + earlier->window + "\".");
    }
    return warnings;
}

// What Try shows for the pattern and a line.
std::string Tried(const std::string& pattern, const std::string& line) {
    if (const auto problem = PatternProblem(pattern); !problem.empty()) return "The pattern does not read: " + problem;
    const auto value = ValueFromSample(pattern, line);
    return value ? "Value: " + *value : "No value in this line.";
}

}  // namespace

std::string UsersProblem(const Source& source, const std::vector<Source>& sources) {
    const bool another = std::any_of(sources.begin(), sources.end(),
                                     [](const Source& s) { return s.number != 1 && s.Complete(); });
    return SourceProblem(Blamed(source, true, source.number != 1 || !another));
}

SourcesDialog::SourcesDialog(forms::FormHost& forms, platform::MessageBoxes& messageBoxes, Settings& settings,
                             const FieldPicking* picking)
    : forms_(forms), messageBoxes_(messageBoxes), settings_(settings), picking_(picking) {}

forms::FormDesign SourcesDialog::Design() {
    forms::FormDesign d;
    d.name = "frmSources";
    d.caption = "Sources";
    d.border = forms::Border::FixedDialog;
    d.clientWidth = 6735;
    d.clientHeight = 6960;
    d.start = forms::StartPosition::CenterScreen;
    d.defaultButton = "cmdOK";
    d.cancelButton = "cmdCancel";
    d.controls = {
        MakeControl("lblSources", ControlKind::Label, "&Sources", 240, 120, 1815, 255, 0),
        MakeControl("lstSources", ControlKind::ListBox, "", 240, 420, 4800, 1755, 1),
        MakeControl("cmdAdd", ControlKind::Button, "&Add", 5280, 360, 1215, 375, 2),
        MakeControl("cmdRemove", ControlKind::Button, "&Remove", 5280, 840, 1215, 375, 3),
        MakeControl("lblWindow", ControlKind::Label, "&Window title", 240, 2520, 1815, 255, 4),
        MakeControl("txtWindow", ControlKind::TextBox, "", 2160, 2400, 4335, 375, 5),
        MakeControl("lblDocType", ControlKind::Label, "&Document type", 240, 3000, 1815, 255, 6),
        MakeControl("txtDocType", ControlKind::TextBox, "", 2160, 2880, 4335, 375, 7),
        MakeControl("lblSearchField", ControlKind::Label, "Search &field", 240, 3480, 1815, 255, 8),
        MakeControl("txtSearchField", ControlKind::TextBox, "", 2160, 3360, 4335, 375, 9),
        MakeControl("lblPattern", ControlKind::Label, "Value &pattern", 240, 3960, 1815, 255, 10),
        MakeControl("txtPattern", ControlKind::TextBox, "", 2160, 3840, 4335, 375, 11),
        MakeControl("lblColumn", ControlKind::Label, "Co&lumn", 240, 4440, 1815, 255, 12),
        MakeControl("txtColumn", ControlKind::TextBox, "", 2160, 4320, 4335, 375, 13),
        // As wide as the sample line: the button to its right picks the field.
        MakeControl("lblValueFrom", ControlKind::Label, "Value fr&om", 240, 4920, 1815, 255, 14),
        MakeControl("txtValueFrom", ControlKind::TextBox, "", 2160, 4800, 2895, 375, 15),
        MakeControl("cmdPick", ControlKind::Button, "Pic&k field…", 5280, 4800, 1215, 375, 16),
        MakeControl("lblSample", ControlKind::Label, "Sa&mple line", 240, 5400, 1815, 255, 17),
        MakeControl("txtSample", ControlKind::TextBox, "", 2160, 5280, 2895, 375, 18),
        MakeControl("cmdTry", ControlKind::Button, "&Try", 5280, 5280, 1215, 375, 19),
        // Two lines: what Try found, or what is wrong with policy's values.
        MakeControl("lblValue", ControlKind::Label, "", 2160, 5760, 4335, 495, 20),
        MakeControl("cmdOK", ControlKind::Button, "OK", 3840, 6360, 1215, 375, 21),
        MakeControl("cmdCancel", ControlKind::Button, "Cancel", 5280, 6360, 1215, 375, 22),
    };
    for (auto& c : d.controls) {
        // Each label's access key goes to the box after it in tab order.
        if (c.kind == ControlKind::Label) c.useMnemonic = true;
        // Typed a sample line, the user wants to see what it gives, not to close.
        if (c.name == "txtSample") c.enterButton = "cmdTry";
    }
    return d;
}

std::string SourcesDialog::ListLine(const Source& source) {
    const std::string title = source.window.empty() ? "(the window in front)" : source.window;
    auto line = std::to_string(source.number) + ". " + title + " - " + source.documentType;
    if (!source.Complete()) line += " (skipped: " + source.Missing() + ")";
    return line;
}

bool SourcesDialog::ShowModal() {
    forms::Handlers h;
    h.load = [this](forms::Form& form) { Load(form); };
    h.unload = [this](bool&) {
        EndWait();
        if (picking_) picking_->picker.Stop(true);
        form_ = nullptr;
    };
    h.OnClick("lstSources", [this] { Chosen(); });
    h.OnClick("cmdAdd", [this] { Add(); });
    h.OnClick("cmdRemove", [this] { Remove(); });
    h.OnClick("cmdTry", [this] { Try(); });
    h.OnClick("cmdPick", [this] { Pick(); });
    h.OnClick("cmdOK", [this] { Ok(); });
    h.OnClick("cmdCancel", [this] { Cancel(); });
    for (const auto& box : kBoxes) h.OnChange(box.name, [this, box] { BoxChanged(box.name, box.value); });
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
    sources_ = settings_.sources;
    removed_ = settings_.removedSources;
    added_.clear();
    lines_.clear();
    chosen_ = 0;
    form_ = &form;
    if (picking_)
        picking_->picker.Arm(form.ControlHandle("cmdPick"), [this](platform::WindowId control) { Picked(control); });
    FillList();
    ShowChosen();
    form.SetFocus("lstSources");
}

void SourcesDialog::FillList() {
    std::vector<std::string> lines;
    for (const auto& s : sources_) lines.push_back(ListLine(s));
    if (lines != lines_) {
        form_->SetItems("lstSources", lines);
        lines_ = std::move(lines);
    }
    form_->SetListIndex("lstSources", static_cast<int>(chosen_));
}

void SourcesDialog::ShowChosen() {
    // A copy: each box's text goes back into the chosen source as it is set.
    auto source = sources_[chosen_];
    for (const auto& box : kBoxes) {
        form_->SetText(box.name, *Value(source, box.value));
        // What policy sets is the administrator's: shown, not editable.
        form_->SetEnabled(box.name, !source.FromPolicy(box.value));
    }
    form_->SetText("lblValue", PolicysProblem(source));
    form_->SetEnabled("cmdRemove", chosen_ > 0 && source.fromPolicy.empty());
    form_->SetEnabled("cmdPick", picking_ && !source.FromPolicy(setting::kValueFrom));
}

void SourcesDialog::BoxChanged(const char* box, const char* value) {
    if (!form_) return;
    auto& source = sources_[chosen_];
    if (source.FromPolicy(value)) return;
    *Value(source, value) = form_->Text(box);
    FillList();
}

void SourcesDialog::Chosen() {
    const int index = form_->ListIndex("lstSources");
    if (index < 0 || static_cast<std::size_t>(index) == chosen_) return;
    chosen_ = static_cast<std::size_t>(index);
    ShowChosen();
}

void SourcesDialog::Add() {
    Settings taken;
    taken.sources = sources_;
    Source added;
    added.number = taken.FreeSourceNumber();
    if (added.number == 0) {
        ShowMessage(messageBoxes_, "error: cannot add a source.  There are as many as Kestrel keeps.",
                    platform::Modality::System);
        return;
    }
    const auto at = std::find_if(sources_.begin() + 1, sources_.end(),
                                 [&](const Source& s) { return s.number > added.number; });
    const auto inserted = sources_.insert(at, added);
    chosen_ = static_cast<std::size_t>(inserted - sources_.begin());
    added_.insert(added.number);
    removed_.erase(added.number);
    FillList();
    ShowChosen();
    form_->SetFocus("txtWindow");
}

void SourcesDialog::Remove() {
    const auto& source = sources_[chosen_];
    if (chosen_ == 0 || !source.fromPolicy.empty()) return;
    removed_.insert(source.number);
    added_.erase(source.number);
    sources_.erase(sources_.begin() + static_cast<std::ptrdiff_t>(chosen_));
    chosen_ = std::min(chosen_, sources_.size() - 1);
    FillList();
    ShowChosen();
    form_->SetFocus("lstSources");
}

void SourcesDialog::Try() { form_->SetText("lblValue", Tried(form_->Text("txtPattern"), form_->Text("txtSample"))); }

void SourcesDialog::Pick() {
    if (waiting_) {  // a second click: the administrator thought better of it
        EndWait();
        form_->SetText("lblValue", "No field picked.");
        return;
    }
    bool mouse = true;
    try {
        picking_->picker.Track();
    } catch (const std::exception&) {
        mouse = false;  // a drag from the button still picks
    }
    waiting_ = true;
    const bool hotKey =
        picking_->lendHotKey(picking_->hotKey, picking_->hotKeyShift, [this] { HotKeyInField(); });
    form_->SetText("lblValue", !hotKey  ? "Click the field."
                               : mouse ? "Click the field, or put the focus in it and press the hotkey."
                                       : "Put the focus in the field in its program, then press the hotkey.");
}

void SourcesDialog::HotKeyInField() {
    if (!form_ || !waiting_) return;
    const auto control = picking_->picker.FocusedControl();
    if (control == 0) {  // pressed here, not in the program: the wait goes on
        form_->SetText("lblValue", "Put the focus in the field in its program, then press the hotkey.");
        return;
    }
    Picked(control);
}

void SourcesDialog::EndWait() {
    if (!waiting_) return;
    waiting_ = false;
    picking_->picker.Stop(false);
    picking_->lendHotKey(0, 0, {});
}

void SourcesDialog::Picked(platform::WindowId control) {
    EndWait();
    if (!form_ || sources_[chosen_].FromPolicy(setting::kValueFrom)) return;
    if (control == 0) {
        form_->SetText("lblValue", "No field picked.");
        return;
    }
    const auto window = picking_->picker.WindowOf(control);
    const auto fields = picking_->desktop.Descendants(window);
    const platform::ControlClasses classes(settings_.controlClasses);
    const auto valueFrom = PickedValueFrom(fields, control, classes);
    if (!valueFrom) {
        form_->SetText("lblValue", window ? "That field cannot be read: it draws itself or is of another "
                                            "toolkit. Value from is as it was."
                                          : "That field has gone. Value from is as it was.");
        return;
    }
    form_->SetText("txtValueFrom", *valueFrom);
    std::string text;
    try {
        const auto& picked =
            *std::find_if(fields.begin(), fields.end(), [&](const auto& f) { return f.id == control; });
        text = picking_->readField(control, classes.KindOf(picked.className, picked.realClassName),
                                   form_->Text("txtColumn"));
    } catch (const std::exception& e) {
        form_->SetText("lblValue", e.what());
        return;
    }
    // One line of the field's text: the label has room for two.
    auto shown = text.substr(0, text.find_first_of("\r\n"));
    if (shown.size() > 60) {
        std::size_t cut = 57;
        while (cut > 0 && (static_cast<unsigned char>(shown[cut]) & 0xC0) == 0x80) --cut;  // not inside a character
        shown = shown.substr(0, cut) + "...";
    }
    form_->SetText("lblValue", "Field: " + shown + "\n" + Tried(form_->Text("txtPattern"), text));
}

void SourcesDialog::Ok() {
    std::vector<Source> kept;
    for (std::size_t i = 0; i < sources_.size(); ++i) {
        const auto& source = sources_[i];
        // A new source left empty was not meant.
        if (added_.count(source.number) && Empty(source)) continue;
        // A section skipped before and left as it was stays skipped: the
        // user may be here for another source.
        const auto before = std::find_if(settings_.sources.begin(), settings_.sources.end(),
                                         [&](const Source& s) { return s.number == source.number; });
        if (source.number > 1 && !source.Complete() && before != settings_.sources.end() && *before == source) {
            kept.push_back(source);
            continue;
        }
        const auto problem = UsersProblem(source, sources_);
        if (!problem.empty()) {
            chosen_ = i;
            FillList();
            ShowChosen();
            ShowMessage(messageBoxes_,
                        "error: cannot save settings.  Source " + std::to_string(source.number) + ": " + problem,
                        platform::Modality::System);
            return;
        }
        kept.push_back(source);
    }
    if (const auto warnings = Shadowed(kept); !warnings.empty())
        ShowMessage(messageBoxes_, warnings, platform::Modality::System);
    if (!form_) return;  // closed from outside meanwhile
    settings_.sources = std::move(kept);
    settings_.removedSources = removed_;
    saved_ = true;
    form_->Unload();
}

}  // namespace kestrel
