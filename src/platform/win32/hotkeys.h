#pragma once
#include <functional>
#include <map>
#include <memory>

#include "platform/hotkeys.h"

namespace kestrel::win32 {

// Hotkeys and the windows they are delivered to. A listened-to window is
// subclassed (comctl32's subclass chain, so that it composes with the other
// subclasses the program puts on the same window); the listener lives here.
class HotKeys final : public platform::HotKeys {
public:
    HotKeys();
    ~HotKeys() override;
    HotKeys(const HotKeys&) = delete;
    HotKeys& operator=(const HotKeys&) = delete;

    void Listen(platform::WindowId window, std::function<void()> onPress) override;
    void StopListening(platform::WindowId window) override;
    bool Register(platform::WindowId window, std::int32_t id, std::uint32_t modifiers, std::uint32_t key) override;
    bool Unregister(platform::WindowId window, std::int32_t id) override;
    std::int32_t AddGlobalAtom(const std::string& text) override;
    void DeleteGlobalAtom(std::int32_t atom) override;
    std::string LocalDateTimeText() override;

private:
    struct Listener;

    std::map<platform::WindowId, std::unique_ptr<Listener>> listeners_;
};

}  // namespace kestrel::win32
