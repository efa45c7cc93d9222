#pragma once
#include <functional>
#include <map>

#include "platform/field_picker.h"

namespace kestrel::fake {

// The administrator's pointer and the scripted fields it can point at.
class FakeFieldPicker final : public platform::FieldPicker {
public:
    std::map<platform::WindowId, platform::WindowId> windows;  // each control's top-level window
    platform::WindowId focused = 0;  // the focus in the window in front
    platform::WindowId armed = 0;    // the button a drag starts from
    bool tracking = false;           // a click would pick

    void Arm(platform::WindowId button, std::function<void(platform::WindowId)> picked) override {
        armed = button;
        picked_ = std::move(picked);
    }
    void Track() override { tracking = true; }
    void Stop(bool disarm) override {
        tracking = false;
        if (disarm) armed = 0, picked_ = {};
    }
    platform::WindowId FocusedControl() override { return focused; }
    platform::WindowId WindowOf(platform::WindowId control) override {
        const auto found = windows.find(control);
        return found == windows.end() ? 0 : found->second;
    }

    // A drag from the armed button released over `control` (0: over the program's own).
    void Drag(platform::WindowId control) { Release(armed != 0, control); }
    // The click that Track waits for.
    void Click(platform::WindowId control) { Release(tracking, control); }

private:
    void Release(bool picks, platform::WindowId control) {
        tracking = false;
        auto picked = picked_;
        if (picks && picked) picked(control);
    }
    std::function<void(platform::WindowId)> picked_;
};

}  // namespace kestrel::fake
