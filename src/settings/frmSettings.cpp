#include "settings/frmSettings.h"

#include "app/application.h"
#include "link/clsAppLink.h"

namespace kestrel {
namespace {

using forms::ControlKind;

std::array<std::string, 9> ShiftNames() {
    return {"", "Shift", "Ctrl", "Ctrl-Shift", "Alt", "Alt-Shift", "Ctrl-Alt", "Ctrl-Alt-Shift", ""};
}

std::array<std::string, 136> KeyNames() {
    std::array<std::string, 136> k;
    k[3] = "CANCEL";
    k[8] = "BACKSPACE";
    k[9] = "TAB";
    k[12] = "CLEAR";
    k[13] = "ENTER";
    k[19] = "PAUSE";
    k[20] = "CAPS LOCK";
    k[27] = "ESC";
    k[32] = "SPACEBAR";
    k[33] = "PAGE UP";
    k[34] = "PAGE DOWN";
    k[35] = "END";
    k[36] = "HOME";
    k[37] = "LEFT ARROW";
    k[38] = "UP ARROW";
    k[39] = "RIGHT ARROW";
    k[40] = "DOWN ARROW";
    k[41] = "SELECT";
    k[43] = "EXECUTE";
    k[44] = "PRINT SCREEN";
    k[45] = "INS";
    k[46] = "DEL";
    k[47] = "HELP";
    for (int c = 48; c <= 57; ++c) k[static_cast<std::size_t>(c)] = std::string(1, static_cast<char>(c));
    for (int c = 65; c <= 90; ++c) k[static_cast<std::size_t>(c)] = std::string(1, static_cast<char>(c));
    k[91] = "Left Windows key";
    k[92] = "Right Windows key";
    k[93] = "Applications key";
    for (int c = 96; c <= 105; ++c)
        k[static_cast<std::size_t>(c)] = "Numeric keypad " + std::string(1, static_cast<char>(c - 48));
    k[106] = "Multiply";
    k[107] = "Add";
    k[108] = "Separator";
    k[109] = "Substract";
    k[110] = "Decimal";
    k[111] = "Divide";
    for (int c = 112; c <= 135; ++c) k[static_cast<std::size_t>(c)] = "F" + std::to_string(c - 111);
    return k;
}

}  // namespace

std::string ShiftName(std::int32_t mask) {
    static const auto names = ShiftNames();
    return mask >= 0 && mask < static_cast<std::int32_t>(names.size()) ? names[static_cast<std::size_t>(mask)] : "";
}

std::string KeyName(std::int32_t keyCode) {
    static const auto names = KeyNames();
    return keyCode >= 0 && keyCode < static_cast<std::int32_t>(names.size()) ? names[static_cast<std::size_t>(keyCode)]
                                                                             : "";
}

std::string HotKeyDisplayText(std::int32_t mask, std::int32_t keyCode) {
    return ShiftName(mask) + " " + KeyName(keyCode);
}

forms::FormDesign frmSettings::Design() {
    forms::FormDesign d;
    d.name = "frmSettings";
    d.caption = "Settings";
    d.border = forms::Border::Sizable;
    d.minButton = d.maxButton = true;
    d.clientWidth = 7080;
    d.clientHeight = 3132;
    d.start = forms::StartPosition::WindowsDefault;
    // Neither button is the default or the cancel button: Enter and Esc in a box press neither.
    d.controls = {
        forms::MakeControl("Label3", ControlKind::Label, "HotKey", 480, 360, 1455, 255, 10),
        forms::MakeControl("txtHotKey", ControlKind::TextBox, "F12", 2160, 240, 2055, 375, 9),
        forms::MakeControl("lblWindowTitle", ControlKind::Label, "Source Window Title", 480, 840, 1575, 255, 7),
        forms::MakeControl("txtSourceWindow", ControlKind::TextBox, "", 2160, 720, 2775, 375, 0),
        forms::MakeControl("Label1", ControlKind::Label, "(optional)", 5040, 840, 855, 255, 8),
        forms::MakeControl("lblDocType", ControlKind::Label, "Document Type", 480, 1320, 1575, 255, 6),
        forms::MakeControl("txtDocType", ControlKind::TextBox, "", 2160, 1200, 2775, 375, 1),
        forms::MakeControl("lblSearchField", ControlKind::Label, "Search Field", 480, 1800, 1455, 255, 4),
        forms::MakeControl("txtSearchField", ControlKind::TextBox, "", 2160, 1680, 2772, 375, 2),
        forms::MakeControl("cmdOK", ControlKind::Button, "OK", 2280, 2400, 1215, 375, 3),
        forms::MakeControl("cmdCancel", ControlKind::Button, "Cancel", 3840, 2400, 1215, 375, 5),
    };
    return d;
}

void frmSettings::ShowModal() {
    frmSettings dialog;
    forms::Handlers h;
    h.load = [&dialog](forms::Form& self) {
        dialog.form_ = &self;
        dialog.Form_Load();
    };
    h.click["cmdOK_Click"] = [&dialog] { dialog.cmdOK_Click(); };
    h.click["cmdCancel_Click"] = [&dialog] { dialog.cmdCancel_Click(); };
    h.keyDown["txtHotKey_KeyDown"] = [&dialog](forms::KeyDownArgs& a) { dialog.txtHotKey_KeyDown(a.keyCode, a.shift); };
    h.keyPress["txtHotKey_KeyPress"] = [&dialog](std::int16_t& c) { dialog.txtHotKey_KeyPress(c); };
    const auto form = platform::Current().forms->Load(Design(), std::move(h));
    if (form->Loaded()) form->ShowModal();
}

std::string frmSettings::DisplayText(std::int16_t mask, std::int16_t keyCode) const {
    const auto part = [](const auto& table, std::int16_t i) {
        return i >= 0 && static_cast<std::size_t>(i) < table.size() ? table[static_cast<std::size_t>(i)] : "";
    };
    return part(sShiftNames, mask) + " " + part(sKeyNames, keyCode);
}

void frmSettings::Form_Load() {
    sShiftNames = ShiftNames();
    sKeyNames = KeyNames();
    form_->SetText("txtSourceWindow", AppLink().oSettings()->SourceAppTitle());
    form_->SetText("txtDocType", AppLink().oSettings()->AppName());
    form_->SetText("txtHotKey", DisplayText(AppLink().oSettings()->HotKeyShift(), AppLink().oSettings()->HotKey()));
    // A stored combination beyond the tables shows partly empty and stays
    // pending until the user presses a new one.
    iHotKey = AppLink().oSettings()->HotKey();
    iHotKeyShift = AppLink().oSettings()->HotKeyShift();
    if (!AppLink().oSettings()->Field().empty()) form_->SetText("txtSearchField", AppLink().oSettings()->Field());
}

void frmSettings::txtHotKey_KeyDown(std::int16_t KeyCode, std::int16_t Shift) {
    platform::Current().messages->DoEvents();
    const bool functionKey = KeyCode >= 112 && KeyCode <= 135;
    const bool chord = KeyCode >= 48 && KeyCode <= 90 && Shift >= 2;
    // A refused key leaves the pending combination alone: OK saves only what the box has shown.
    if (!functionKey && !chord) return;
    form_->SetText("txtHotKey", DisplayText(Shift, KeyCode));
    iHotKey = KeyCode;
    iHotKeyShift = Shift;
}

void frmSettings::txtHotKey_KeyPress(std::int16_t& KeyAscii) {
    (void)KeyAscii;  // the character goes on to the box's own editing
    form_->SetText("txtHotKey", "");
}

void frmSettings::cmdOK_Click() {
    const auto field = form_->Text("txtSearchField");
    if (field.empty()) {
        ShowMessage("error: cannot save settings.  Please enter a field to search.", platform::kMbSystemModal);
        return;
    }
    const auto documentType = form_->Text("txtDocType");
    if (documentType.empty()) {
        ShowMessage("error: cannot save settings.  Please enter a Document Type.", platform::kMbSystemModal);
        return;
    }
    AppLink().oSettings()->SourceAppTitle(form_->Text("txtSourceWindow"));
    AppLink().oSettings()->Field(field);
    AppLink().oSettings()->AppName(documentType);
    AppLink().oSettings()->HotKey(iHotKey);
    AppLink().oSettings()->HotKeyShift(iHotKeyShift);
    try {
        AppLink().oSettings()->SaveSettings();
    } catch (const std::exception& e) {
        // Closing now would lose what the user typed; let them try again or cancel.
        ShowMessage(std::string("error: the settings could not be saved.  ") + e.what(), platform::kMbSystemModal);
        return;
    }
    form_->Unload();
}

void frmSettings::cmdCancel_Click() { form_->Unload(); }

}  // namespace kestrel
