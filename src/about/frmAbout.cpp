#include "about/frmAbout.h"

#include <cstdio>
#include <memory>

#include "app/application.h"
#include "platform/platform.h"

namespace kestrel {
namespace {

constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegDword = 4;
constexpr std::size_t kBufferSize = 1024;

std::unique_ptr<frmAbout> g_about;

forms::ControlDesign Line(const char* name, int x1, int y1, int x2, int y2, std::uint32_t colour, int width) {
    forms::ControlDesign c;
    c.name = name;
    c.kind = forms::ControlKind::Line;
    c.rect = {x1, y1, x2, y2};
    c.lineColour = colour;
    c.lineWidth = width;
    c.tabIndex = -1;
    return c;
}

}  // namespace

bool GetKeyValue(std::uint32_t KeyRoot, const std::string& KeyName, const std::string& SubKeyRef,
                 std::string& KeyVal) {
    auto& registry = *platform::Current().registry;
    const auto read = registry.ReadValue(KeyRoot, KeyName, SubKeyRef, kBufferSize);
    if (read.openStatus != 0 || read.queryStatus != 0) {
        KeyVal.clear();
        return false;
    }
    if (read.data.empty()) throw Error("the registry value " + SubKeyRef + " is empty");
    auto text = read.data;
    if (text.back() == '\0') text.pop_back();
    if (read.type == kRegSz) {
        KeyVal = registry.FromAnsi(text);
    } else if (read.type == kRegDword) {
        // The value's own digits: every byte counts, the zeros inside it too.
        std::uint32_t value = 0;
        for (std::size_t i = read.data.size(); i-- > 0;)
            value = (value << 8) | static_cast<unsigned char>(read.data[i]);
        char hex[16];
        std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(value));
        KeyVal = "&h" + KeyVal + hex;
    }
    return true;
}

void StartSysInfo() {
    try {
        std::string path;
        if (!GetKeyValue(kHkeyLocalMachine, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", path)) {
            if (GetKeyValue(kHkeyLocalMachine, "SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO", path) &&
                platform::Current().files->FileExists(path + "\\MSINFO32.EXE")) {
                path += "\\MSINFO32.EXE";
            } else {
                ShowMessage("System Information Is Unavailable At This Time", platform::kMbOk);
                return;
            }
        }
        // The path names the program itself: give it as such, so that a blank
        // in it never makes Windows start some other program.
        platform::Current().programs->Start(path, path, 1);
    } catch (const std::exception&) {
        ShowMessage("System Information Is Unavailable At This Time", platform::kMbOk);
    }
}

forms::FormDesign frmAbout::Design() {
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

forms::Form* frmAbout::Current() {
    return g_about && g_about->form_ && g_about->form_->Loaded() ? g_about->form_.get() : nullptr;
}

void frmAbout::Release() { g_about.reset(); }

void frmAbout::ShowAbout() {
    if (auto* open = Current()) {
        open->Show();
        return;
    }
    g_about = std::make_unique<frmAbout>();
    auto& about = *g_about;
    forms::Handlers h;
    h.load = [&about](forms::Form& self) {
        about.self_ = &self;
        about.Form_Load();
    };
    h.click["cmdOK_Click"] = [&about] { about.cmdOK_Click(); };
    h.click["cmdSysInfo_Click"] = [&about] { about.cmdSysInfo_Click(); };
    about.form_ = platform::Current().forms->Load(Design(), std::move(h));
    about.self_ = about.form_.get();
    about.form_->Show();
}

void frmAbout::Form_Load() {
    const auto version = platform::Current().shell->ApplicationVersion();
    self_->SetCaption(std::string("About ") + kAppTitle);
    self_->SetText("lblVersion", "Version " + std::to_string(version.major) + "." + std::to_string(version.minor) +
                                     "." + std::to_string(version.revision));
    self_->SetText("lblTitle", kAppTitle);
}

void frmAbout::cmdOK_Click() { self_->Unload(); }
void frmAbout::cmdSysInfo_Click() { StartSysInfo(); }

}  // namespace kestrel
