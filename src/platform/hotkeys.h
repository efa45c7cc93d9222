#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "platform/window_id.h"

namespace kestrel::platform {

// Modifier flags of a system-wide hotkey.
enum HotKeyModifier : std::uint32_t {
    kModAlt = 1,
    kModControl = 2,
    kModShift = 4,
};

// System-wide hotkeys, delivered to one of the program's windows.
class HotKeys {
public:
    virtual ~HotKeys() = default;
    // From now on a press of any hotkey registered for the window calls
    // `onPress` (the window's own handling of the message goes on after it).
    // Throws Error when the window cannot be listened to.
    virtual void Listen(WindowId window, std::function<void()> onPress) = 0;
    virtual void StopListening(WindowId window) = 0;  // throws Error
    // Whether the combination is now the window's; a key held down never
    // repeats the press. `key` is a key code (see key_codes.h).
    virtual bool Register(WindowId window, std::int32_t id, std::uint32_t modifiers, std::uint32_t key) = 0;
    virtual bool Unregister(WindowId window, std::int32_t id) = 0;
    // Global atoms, the hotkeys' identifiers: 0 for failure.
    virtual std::int32_t AddGlobalAtom(const std::string& text) = 0;
    virtual void DeleteGlobalAtom(std::int32_t atom) = 0;
    // The local date and time in the user's locale form.
    virtual std::string LocalDateTimeText() = 0;
};

}  // namespace kestrel::platform
