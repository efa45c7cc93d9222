#pragma once
#include <windows.h>

#include <functional>

#include "platform/field_picker.h"
#include "platform/win32/handles.h"

namespace kestrel::win32 {

// The mouse way drags from the button, which holds the mouse while its left
// button is down, so the crosshair and the outline follow the pointer over
// any program. Without the drag, a low-level mouse hook takes the next click
// before the program under it sees it. The outline is a red frame, a window
// of its own that takes no input.
class FieldPicker final : public platform::FieldPicker {
public:
    FieldPicker() = default;
    ~FieldPicker() override;
    FieldPicker(const FieldPicker&) = delete;
    FieldPicker& operator=(const FieldPicker&) = delete;

    void Arm(platform::WindowId button, std::function<void(platform::WindowId control)> picked) override;
    void Track() override;
    void Stop(bool disarm) override;
    platform::WindowId FocusedControl() override;
    platform::WindowId WindowOf(platform::WindowId control) override;

    // The outline while it shows, else none: for the tests.
    HWND Outline() const { return outline_ && IsWindowVisible(outline_.get()) ? outline_.get() : nullptr; }

private:
    static LRESULT CALLBACK ButtonProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                            DWORD_PTR data);
    static LRESULT CALLBACK OutlineProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK MouseHook(int code, WPARAM wParam, LPARAM lParam);
    LRESULT ButtonMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void PointAt(POINT screen);
    void HideOutline();
    void Pick(POINT screen);
    void Disarm();

    HWND button_ = nullptr;
    std::function<void(platform::WindowId)> picked_;
    Window outline_;
    Hook hook_;
    bool dragging_ = false;
    bool swallowUp_ = false;  // the hook took the click's press, so its release too
    HWND pointed_ = nullptr;
};

}  // namespace kestrel::win32
