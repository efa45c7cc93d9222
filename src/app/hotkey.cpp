#include "app/hotkey.h"

#include <string>

#include "platform/app_title.h"

namespace kestrel {

HotKey::HotKey(platform::HotKeys& hotKeys, platform::MessageBoxes& messageBoxes, platform::WindowId window,
               std::function<void()> onPress)
    : hotKeys_(hotKeys), messageBoxes_(messageBoxes), window_(window), onPress_(std::move(onPress)) {}

std::int32_t HotKey::Id() {
    if (!atom_) atom_.emplace(hotKeys_);
    return atom_->value();
}

void HotKey::Enable(std::uint32_t modifiers, std::uint32_t key) {
    if (registered_) return;
    Listen();
    registered_ = hotKeys_.Register(window_, Id(), modifiers, key);
}

void HotKey::Disable() {
    if (!registered_) return;
    registered_ = !hotKeys_.Unregister(window_, Id());
    StopListening();
}

void HotKey::Listen() {
    // Listening twice would hand every press over twice.
    if (listening_) return;
    try {
        hotKeys_.Listen(window_, [this] { Pressed(); });
        listening_ = true;
    } catch (const std::exception& e) {
        ShowMessage(messageBoxes_, std::string("error in modHotKey.Hook: ") + e.what(),
                    platform::Modality::Application);
    }
}

void HotKey::StopListening() {
    if (!listening_) return;
    try {
        hotKeys_.StopListening(window_);
        listening_ = false;
    } catch (const std::exception& e) {
        ShowMessage(messageBoxes_, std::string("error in modHotKey.Unhook: ") + e.what(),
                    platform::Modality::Application);
    }
}

void HotKey::Pressed() {
    if (handling_) {
        // The press before is still at work, maybe showing a box behind
        // another window: bring that forward rather than drop this press unseen.
        messageBoxes_.BringOpenBoxToFront();
        return;
    }
    handling_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{handling_};
    try {
        onPress_();
    } catch (const std::exception& e) {
        try {
            ShowMessage(messageBoxes_, std::string("error in modHotKey.WindowProc: ") + e.what(),
                        platform::Modality::Application);
        } catch (...) {
        }
    } catch (...) {
        // Nothing may unwind into the system's message dispatch.
    }
}

}  // namespace kestrel
