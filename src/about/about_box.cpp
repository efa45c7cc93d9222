#include "about/about_box.h"

#include <string>

#include "about/system_info.h"
#include "platform/app_title.h"

namespace kestrel {
namespace {

forms::ControlDesign Line(const char* name, int x1, int y1, int x2, int y2, std::uint32_t colour, int width) {
    auto c = forms::MakeControl(name, forms::ControlKind::Line, "", x1, y1, x2, y2, -1);
    c.lineColour = colour;
    c.lineWidth = width;
    return c;
}

}  // namespace

forms::FormDesign AboutBox::Design() {
    using forms::ControlKind;
    forms::FormDesign d;
    d.name = "frmAbout";
    d.border = forms::Border::FixedDialog;
    d.clientWidth = 4608;
    d.clientHeight = 3564;
    d.start = forms::StartPosition::Manual;
    d.left = 2340;
    d.top = 1932;
    d.defaultButton = "cmdOK";
    d.cancelButton = "cmdOK";
    d.controls = {
        forms::MakeControl("picIcon", ControlKind::Picture, "", 240, 240, 432, 432, 1),
        forms::MakeControl("lblTitle", ControlKind::Label, "Application Title", 1056, 240, 2556, 480, 5),
        forms::MakeControl("lblVersion", ControlKind::Label, "Version", 1056, 780, 2556, 228, 6),
        forms::MakeControl("lblDescription", ControlKind::Label, "", 1056, 1128, 2556, 684, 3),
        // The etched rule: a grey line with a white one just below it.
        Line("Line1_1", 96, 2448, 4320, 2448, 0x808080, 1),
        Line("Line1_0", 108, 2472, 4320, 2472, 0xFFFFFF, 2),
        forms::MakeControl("lblDisclaimer", ControlKind::Label, "", 252, 2628, 2640, 828, 4),
        forms::MakeControl("cmdOK", ControlKind::Button, "OK", 3120, 2625, 1260, 345, 0),
        forms::MakeControl("cmdSysInfo", ControlKind::Button, "&System Info...", 3120, 3075, 1245, 345, 2),
    };
    return d;
}

forms::Form* AboutBox::Open() const { return form_ && form_->Loaded() ? form_.get() : nullptr; }

void AboutBox::Show() {
    if (auto* open = Open()) {
        open->Show();
        return;
    }
    forms::Handlers h;
    h.load = [this](forms::Form& form) { Load(form); };
    h.OnClick("cmdOK", [this] { form_->Unload(); });
    h.OnClick("cmdSysInfo", [this] { StartSystemInfo(s_.registry, s_.files, s_.programs, s_.messageBoxes); });
    form_ = s_.forms.Load(Design(), std::move(h));
    form_->Show();
}

void AboutBox::Load(forms::Form& form) {
    const auto version = s_.programs.OwnVersion();
    form.SetCaption(std::string("About ") + kAppTitle);
    form.SetText("lblVersion", "Version " + std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
                                   std::to_string(version.revision));
    form.SetText("lblTitle", kAppTitle);
}

}  // namespace kestrel
