#include "app/frmmain.h"

#include <cmath>
#include <utility>

#include "about/frmAbout.h"
#include "app/CIAsystray.h"
#include "app/application.h"
#include "link/clsAppLink.h"
#include "settings/frmSettings.h"

namespace kestrel {

namespace {

std::unique_ptr<frmmain> g_main;

forms::ControlDesign Button(const char* name, const char* caption, int top, int tabIndex) {
    return forms::MakeControl(name, forms::ControlKind::Button, caption, 120, top, 855, 375, tabIndex);
}

}  // namespace

forms::FormDesign frmmain::Design() {
    forms::FormDesign d;
    d.name = "frmmain";
    d.caption = kAppTitle;
    d.border = forms::Border::FixedSingle;
    d.clientWidth = 1908;
    d.clientHeight = 1632;
    d.start = forms::StartPosition::CenterScreen;
    d.controls = {
        Button("cmdConfigure", "Settings", 120, 0),
        Button("cmdExit", "Exit", 1080, 1),
        Button("cmdMinimize", "Minimize", 600, 2),
    };
    d.menus = {{"Options", "Options", {{"Settings", "Settings"}, {"mnuSep1", "-"}, {"mnuExit", "Exit"}, {"mnuAbout", "About"}}}};
    return d;
}

frmmain* frmmain::Instance() { return g_main.get(); }
void frmmain::Release() { g_main.reset(); }

template <typename Handler>
void frmmain::Guarded(const char* name, Handler handler) {
    // A command that fails is reported; the program goes on running.
    try {
        handler();
    } catch (const std::exception& e) {
        ShowMessage(std::string("error in frmmain.") + name + ": " + e.what(), platform::kMbSystemModal);
    }
}

forms::Handlers frmmain::MakeHandlers() {
    forms::Handlers h;
    h.load = [this](forms::Form& self) {
        self_ = &self;
        try {
            Form_Load();
        } catch (...) {
            loadError_ = std::current_exception();
        }
    };
    h.unload = [this](bool& cancel) { Form_Unload(cancel); };
    h.click["Settings_Click"] = [this] { Guarded("Settings_Click", [this] { Settings_Click(); }); };
    h.click["cmdConfigure_Click"] = [this] { Guarded("cmdConfigure_Click", [this] { cmdConfigure_Click(); }); };
    h.click["mnuExit_Click"] = [this] { Guarded("mnuExit_Click", [this] { mnuExit_Click(); }); };
    h.click["cmdExit_Click"] = [this] { Guarded("cmdExit_Click", [this] { cmdExit_Click(); }); };
    h.click["cmdMinimize_Click"] = [this] { Guarded("cmdMinimize_Click", [this] { cmdMinimize_Click(); }); };
    h.click["mnuAbout_Click"] = [this] { Guarded("mnuAbout_Click", [this] { mnuAbout_Click(); }); };
    h.mouseMove = [this](int button, int shift, float x, float y) {
        Guarded("Form_MouseMove", [&] { Form_MouseMove(button, shift, x, y); });
    };
    h.message = [](std::uint32_t msg, std::uintptr_t, std::intptr_t, std::intptr_t&) {
        // A restarted Explorer recreates the notification area empty; without
        // its icon the program could no longer be configured or ended.
        if (msg == platform::Current().shell->TaskbarCreatedMessage()) CIAsystray::RestoreTrayIcon();
        return false;
    };
    return h;
}

void frmmain::LoadMain() {
    g_main = std::make_unique<frmmain>();
    auto& main = *g_main;
    main.form_ = platform::Current().forms->Load(Design(), main.MakeHandlers());
    main.self_ = main.form_.get();
    if (main.loadError_) std::rethrow_exception(std::exchange(main.loadError_, nullptr));
}

void frmmain::HotKeyEnabled(bool v) {
    if (!hotkey_) hotkey_ = std::make_unique<HotKeySwitch>(self_->Handle());
    hotkey_->HotKeyEnabled(v);
}

// Arms the hotkey and says so when another program holds the combination:
// otherwise the program would sit there deaf to the key the user chose.
void frmmain::ArmHotKey() {
    HotKeyEnabled(true);
    if (hotkey_->Registered()) return;
    const auto settings = AppLink().oSettings();
    auto name = HotKeyDisplayText(settings->HotKeyShift(), settings->HotKey());
    if (!name.empty() && name.front() == ' ') name.erase(0, 1);
    ShowMessage("The hotkey " + name + " is in use by another program. Choose another one in Settings.",
                platform::kMbSystemModal);
}

void frmmain::Form_Load() {
    CIAsystray::AddTrayIcon(*self_);
    auto& link = AppLink();
    if (link.oSettings()->GetSettings()) {
        if (!link.oSettings()->AppName().empty() && !link.oSettings()->Field().empty()) {
            link.colFields()->Add(link.oSettings()->Field(), "");
            link.ProcedureType(1);
            ArmHotKey();
        } else {
            Settings_Click();
        }
    }
    self_->Hide();
}

void frmmain::Form_Unload(bool& cancel) {
    cancel = false;
    HotKeyEnabled(false);
    CIAsystray::RemoveTrayIcon(*self_);
}

void frmmain::Settings_Click() {
    HotKeyEnabled(false);
    frmSettings::ShowModal();
    auto fields = AppLink().colFields();
    if (fields->Count() == 1) fields->Remove(1);
    fields->Add(AppLink().oSettings()->Field(), "");
    ArmHotKey();
}

void frmmain::cmdConfigure_Click() { Settings_Click(); }
void frmmain::mnuExit_Click() { self_->Unload(); }
void frmmain::cmdExit_Click() { self_->Unload(); }
void frmmain::cmdMinimize_Click() { self_->SetWindowState(forms::WindowState::Minimized); }

void frmmain::mnuAbout_Click() { frmAbout::ShowAbout(); }

void frmmain::Form_MouseMove(int, int, float x, float) {
    const auto code = static_cast<long>(std::lround(x / platform::Current().forms->TwipsPerPixelX()));
    if (trayBusy_) return;
    trayBusy_ = true;
    struct Clear {
        bool& flag;
        ~Clear() { flag = false; }
    } clear{trayBusy_};
    if (code == 0x205) {  // WM_RBUTTONUP
        platform::Current().shell->SetForegroundWindow(self_->Handle());
        self_->PopupMenu("Options");
    }
}

namespace modMain {

void Main() {
    try {
        frmmain::LoadMain();
    } catch (const std::exception& e) {
        ShowMessage(std::string("error in Main: ") + e.what(), platform::kMbSystemModal);
        // End cleanly: a corrupt setting must not leave an icon behind that does nothing.
        if (auto* main = frmmain::Instance(); main && main->Form().Loaded()) main->Form().Unload();
    }
}

}  // namespace modMain
}  // namespace kestrel
