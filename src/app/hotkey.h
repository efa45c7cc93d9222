#pragma once
#include <cstdint>
#include <functional>
#include <optional>

#include "app/global_atom.h"
#include "platform/hotkeys.h"
#include "platform/message_boxes.h"
#include "platform/window_id.h"

namespace kestrel {

// The program's system-wide hotkey, delivered to its main window. Enabled, it
// listens to the window and registers the combination; disabled, it releases
// both. Reports its own failures ("error in modHotKey.Hook: ..." and the like).
class HotKey {
public:
    HotKey(platform::HotKeys& hotKeys, platform::MessageBoxes& messageBoxes, platform::WindowId window,
           std::function<void()> onPress);
    HotKey(const HotKey&) = delete;
    HotKey& operator=(const HotKey&) = delete;

    // `modifiers` as registration wants them (see RegistrationModifiers).
    // After a failed registration the window is still listened to and only the
    // registration is tried again.
    void Enable(std::uint32_t modifiers, std::uint32_t key);
    void Disable();
    bool Registered() const { return registered_; }
    bool Listening() const { return listening_; }

private:
    void Listen();
    void StopListening();
    void Pressed();
    std::int32_t Id();

    platform::HotKeys& hotKeys_;
    platform::MessageBoxes& messageBoxes_;
    platform::WindowId window_;
    std::function<void()> onPress_;
    std::optional<GlobalAtom> atom_;  // added when first needed
    bool registered_ = false;
    bool listening_ = false;
    // Handling a press pumps messages (the capture's waits, message boxes), so
    // a second press can arrive nested inside the first; it would empty the
    // clipboard under the first one's feet. Such a press is let through unhandled.
    bool handling_ = false;
};

}  // namespace kestrel
