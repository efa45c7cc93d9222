#include "settings/settings_dialog.h"

#include <optional>

#include <string>

#include "platform/app_title.h"
#include "platform/key_codes.h"
#include "settings/hotkey_names.h"

namespace kestrel {

using forms::ControlKind;

SettingsDialog::SettingsDialog(forms::FormHost& forms, platform::MessageBoxes& messageBoxes,
                               platform::EventLoop& events, platform::SettingsStore& store, Settings& settings,
                               const FieldPicking* picking)
    : forms_(forms), messageBoxes_(messageBoxes), events_(events), store_(store), settings_(settings),
      picking_(picking) {}

forms::FormDesign SettingsDialog::Design() {
    forms::FormDesign d;
    d.name = "frmSettings";
    d.caption = "Settings";
    d.border = forms::Border::Sizable;
    d.minButton = d.maxButton = true;
    d.clientWidth = 7080;
    d.clientHeight = 3132;
    d.start = forms::StartPosition::WindowsDefault;
    // Neither button is the default or the cancel button: Enter and Esc in a box press neither.
    // Sources... comes after Cancel in tab order, leaving the hotkey box last.
    d.controls = {
        forms::MakeControl("Label3", ControlKind::Label, "HotKey", 480, 360, 1455, 255, 11),
        forms::MakeControl("txtHotKey", ControlKind::TextBox, "F12", 2160, 240, 2055, 375, 10),
        forms::MakeControl("lblWindowTitle", ControlKind::Label, "Source Window Title", 480, 840, 1575, 255, 8),
        forms::MakeControl("txtSourceWindow", ControlKind::TextBox, "", 2160, 720, 2775, 375, 0),
        forms::MakeControl("Label1", ControlKind::Label, "(optional)", 5040, 840, 855, 255, 9),
        forms::MakeControl("lblDocType", ControlKind::Label, "Document Type", 480, 1320, 1575, 255, 7),
        forms::MakeControl("txtDocType", ControlKind::TextBox, "", 2160, 1200, 2775, 375, 1),
        forms::MakeControl("lblSearchField", ControlKind::Label, "Search Field", 480, 1800, 1455, 255, 4),
        forms::MakeControl("txtSearchField", ControlKind::TextBox, "", 2160, 1680, 2772, 375, 2),
        forms::MakeControl("cmdOK", ControlKind::Button, "OK", 2280, 2400, 1215, 375, 3),
        forms::MakeControl("cmdCancel", ControlKind::Button, "Cancel", 3840, 2400, 1215, 375, 5),
        forms::MakeControl("cmdSources", ControlKind::Button, "&Sources...", 5400, 2400, 1215, 375, 6),
    };
    return d;
}

bool SettingsDialog::ShowModal() {
    forms::Handlers h;
    h.load = [this](forms::Form& form) { Load(form); };
    h.unload = [this](bool&) { form_ = nullptr; };
    h.OnClick("cmdOK", [this] { Ok(); });
    h.OnClick("cmdCancel", [this] { Cancel(); });
    h.OnClick("cmdSources", [this] { OpenSources(); });
    h.OnKeyDown("txtHotKey", [this](forms::KeyDownArgs& key) { HotKeyDown(key); });
    // The box shows only the pending combination: typed characters never reach it.
    h.OnKeyPress("txtHotKey", [](std::int16_t& keyAscii) { keyAscii = 0; });
    saved_ = false;
    const auto form = forms_.Load(Design(), std::move(h));
    if (form->Loaded()) form->ShowModal();
    form_ = nullptr;
    return saved_;
}

void SettingsDialog::BringToFront() {
    if (sourcesDialog_)
        sourcesDialog_->BringToFront();
    else if (form_)
        form_->Show();
}

void SettingsDialog::Cancel() {
    if (sourcesDialog_) sourcesDialog_->Cancel();
    if (form_) form_->Unload();
}

void SettingsDialog::Load(forms::Form& form) {
    form_ = &form;
    pending_ = settings_;
    const auto& first = settings_.sources.front();
    form.SetText("txtSourceWindow", first.window);
    form.SetText("txtDocType", first.documentType);
    form.SetText("txtHotKey", HotKeyDisplayText(settings_.hotKeyShift, settings_.hotKey));
    // A stored combination beyond the tables shows partly empty and stays
    // pending until the user presses a new one.
    pendingKey_ = settings_.hotKey;
    pendingShift_ = settings_.hotKeyShift;
    if (!first.searchField.empty()) form.SetText("txtSearchField", first.searchField);
    // What policy sets is the administrator's: shown, not editable.
    using namespace setting;
    form.SetEnabled("txtSourceWindow", !first.FromPolicy(kSourceWindow));
    form.SetEnabled("txtDocType", !first.FromPolicy(kDocumentType));
    form.SetEnabled("txtSearchField", !first.FromPolicy(kSearchField));
    form.SetEnabled("txtHotKey", !settings_.FromPolicy(kHotKey) && !settings_.FromPolicy(kHotKeyShift));
}

void SettingsDialog::HotKeyDown(forms::KeyDownArgs& key) {
    const auto code = key.keyCode;
    const auto shift = key.shift;
    key.keyCode = 0;  // the box's own editing would change what it shows
    events_.DoEvents();
    if (!form_) return;
    const bool functionKey = platform::IsFunctionKey(code);
    const bool chord = code >= 48 && code <= 90 && shift >= 2;
    // The program types Ctrl+C itself: as the hotkey, every press would catch its own copy.
    const bool ownCopy = code == 'C' && shift == platform::kShiftMaskControl;
    // A refused key leaves the pending combination alone: OK saves only what the box has shown.
    if ((!functionKey && !chord) || ownCopy) return;
    form_->SetText("txtHotKey", HotKeyDisplayText(shift, code));
    pendingKey_ = code;
    pendingShift_ = shift;
}

Settings SettingsDialog::Edited() const {
    auto edited = pending_;
    auto& first = edited.sources.front();
    first.window = form_->Text("txtSourceWindow");
    first.searchField = form_->Text("txtSearchField");
    first.documentType = form_->Text("txtDocType");
    return edited;
}

void SettingsDialog::OpenSources() {
    // Source 1 is in both dialogs: the list starts from what these boxes hold.
    auto edited = Edited();
    std::optional<FieldPicking> picking;
    if (picking_) {
        picking.emplace(*picking_);
        picking->hotKey = pendingKey_;
        picking->hotKeyShift = pendingShift_;
    }
    SourcesDialog dialog(forms_, messageBoxes_, edited, picking ? &*picking : nullptr);
    sourcesDialog_ = &dialog;
    bool saved = false;
    try {
        saved = dialog.ShowModal();
    } catch (...) {
        sourcesDialog_ = nullptr;
        throw;
    }
    sourcesDialog_ = nullptr;
    if (!saved || !form_) return;
    pending_ = edited;
    const auto& first = pending_.sources.front();
    form_->SetText("txtSourceWindow", first.window);
    form_->SetText("txtDocType", first.documentType);
    form_->SetText("txtSearchField", first.searchField);
}

void SettingsDialog::Ok() {
    auto edited = Edited();
    edited.hotKey = pendingKey_;
    edited.hotKeyShift = pendingShift_;
    if (const auto problem = UsersProblem(edited.sources.front(), edited.sources); !problem.empty()) {
        ShowMessage(messageBoxes_, "error: cannot save settings.  " + problem, platform::Modality::System);
        return;
    }
    try {
        SaveChanges(store_, settings_, edited);
    } catch (const std::exception& e) {
        // Closing now would lose what the user typed; let them try again or cancel.
        ShowMessage(messageBoxes_, std::string("error: the settings could not be saved.  ") + e.what(),
                    platform::Modality::System);
        return;
    }
    edited.removedSources.clear();  // gone from the store now, as are the values that did not read
    edited.unreadable.clear();
    settings_ = edited;
    saved_ = true;
    form_->Unload();
}

}  // namespace kestrel
