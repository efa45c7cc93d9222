#include "app/main_window.h"

#include <utility>

#include "platform/app_title.h"

namespace kestrel {
namespace {

forms::ControlDesign Button(const char* name, const char* caption, int top, int tabIndex) {
    return forms::MakeControl(name, forms::ControlKind::Button, caption, 120, top, 855, 375, tabIndex);
}

}  // namespace

MainWindow::MainWindow(forms::FormHost& forms, platform::MessageBoxes& messageBoxes, platform::Desktop& desktop,
                       Commands commands)
    : forms_(forms), messageBoxes_(messageBoxes), desktop_(desktop), commands_(std::move(commands)) {}

forms::FormDesign MainWindow::Design() {
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

template <typename Command>
void MainWindow::Guarded(const char* name, Command command) {
    try {
        command();
    } catch (const std::exception& e) {
        ShowMessage(messageBoxes_, std::string("error in frmmain.") + name + ": " + e.what(),
                    platform::Modality::System);
    }
}

forms::Handlers MainWindow::MakeHandlers() {
    forms::Handlers h;
    h.load = [this](forms::Form& self) {
        self_ = &self;
        try {
            commands_.load();
        } catch (...) {
            loadError_ = std::current_exception();
        }
        self.Hide();
    };
    h.unload = [this](bool&) { commands_.unloading(); };
    h.OnClick("Settings", [this] { Guarded("Settings_Click", commands_.settings); });
    h.OnClick("cmdConfigure", [this] { Guarded("cmdConfigure_Click", commands_.settings); });
    h.OnClick("mnuExit", [this] { Guarded("mnuExit_Click", commands_.exit); });
    h.OnClick("cmdExit", [this] { Guarded("cmdExit_Click", commands_.exit); });
    h.OnClick("cmdMinimize", [this] {
        Guarded("cmdMinimize_Click", [this] { self_->SetWindowState(forms::WindowState::Minimized); });
    });
    h.OnClick("mnuAbout", [this] { Guarded("mnuAbout_Click", commands_.about); });
    return h;
}

void MainWindow::Load() {
    form_ = forms_.Load(Design(), MakeHandlers());
    self_ = form_.get();
    if (loadError_) std::rethrow_exception(std::exchange(loadError_, nullptr));
}

void MainWindow::ShowMenu() {
    if (!Loaded()) return;
    Guarded("Form_MouseMove", [this] {
        desktop_.BringToFront(self_->Handle());
        self_->PopupMenu("Options");
    });
}

}  // namespace kestrel

namespace kestrel {

void MainWindow::OpenSettings() {
    if (Loaded()) Guarded("Settings_Click", commands_.settings);
}

}  // namespace kestrel
