#pragma once
#include <exception>
#include <memory>
#include <string>

#include "app/modHotKey.h"
#include "platform/forms.h"

namespace kestrel {

// The hidden main window: it owns the program's presence (the tray icon, the
// hotkey and its hook) and the menu through which the user reaches Settings,
// About and Exit. There is exactly one, created by Main.
class frmmain {
public:
    static forms::FormDesign Design();
    // Creates the main window without showing it; Form_Load runs to its end
    // first. An error in the load is thrown after the window exists, so that
    // the caller can still unload it.
    static void LoadMain();
    static frmmain* Instance();  // nullptr before LoadMain
    static void Release();       // drops the object (the program's end; tests)

    forms::Form& Form() { return *form_; }
    bool HotKeyRegistered() const { return hotkey_ && hotkey_->Registered(); }

    void Form_Load();
    void Form_Unload(bool& cancel);
    void Settings_Click();
    void cmdConfigure_Click();
    void mnuExit_Click();
    void cmdExit_Click();
    void cmdMinimize_Click();
    void mnuAbout_Click();
    void Form_MouseMove(int button, int shift, float x, float y);
    void HotKeyEnabled(bool v);

private:
    forms::Handlers MakeHandlers();
    void ArmHotKey();
    template <typename Handler>
    void Guarded(const char* name, Handler handler);

    std::unique_ptr<forms::Form> form_;
    forms::Form* self_ = nullptr;
    std::unique_ptr<HotKeySwitch> hotkey_;
    bool trayBusy_ = false;
    std::exception_ptr loadError_;
};

namespace modMain {
// The program's entry: loads the main window, reporting a start-up error with
// "error in Main: " and ending cleanly after it.
void Main();
}  // namespace modMain

}  // namespace kestrel
