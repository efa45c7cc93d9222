#pragma once
#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "platform/forms.h"
#include "platform/win32/form_layout.h"

namespace kestrel::win32 {

// One of a form's controls as rendered.
struct Control {
    forms::ControlDesign design;
    int id = 0;
    HWND hwnd = nullptr;  // none for lines, which the form paints
};

// Turns a design into a window: the frame with its style, size, position and
// icons, then the controls in tab order.
class FormBuilder {
public:
    // Control ids stay clear of IDOK and IDCANCEL, which the dialog manager
    // sends for Enter and Esc.
    static constexpr int kFirstControlId = 100;

    FormBuilder(const forms::FormDesign& design, const FormLayout& layout) : design_(design), layout_(layout) {}

    enum class IconSize { Small, Big };
    // The program's icon at the size Windows uses at that DPI.
    static HICON ProgramIcon(IconSize size, int dpi);

    // The design's controls in tab order, with their ids, no window yet (the
    // host has checked the design).
    std::vector<Control> PlanControls() const;
    // Creates the top-level window hidden; `procedure` receives `param` in
    // WM_NCCREATE. The window class keeps one pointer in its extra bytes.
    HWND CreateFrame(WNDPROC procedure, void* param) const;
    // Creates the controls' windows in tab order (the dialog manager's Tab
    // follows the z-order) and subclasses the text boxes with `boxProcedure`.
    void CreateControls(HWND frame, std::vector<Control>& controls, HFONT font, SUBCLASSPROC boxProcedure) const;
    // The window's rectangle around the layout's client area, at the layout's
    // DPI, with the client area's top left at 0, 0.
    RECT Frame() const;
    // The layout's rectangles and its DPI's icons for the window's controls.
    void PlaceControls(const std::vector<Control>& controls) const;
    void SetIcons(HWND frame, const std::vector<Control>& controls) const;

private:
    struct Styles {
        DWORD style, exStyle;
    };
    Styles FrameStyles() const;

    const forms::FormDesign& design_;
    const FormLayout& layout_;
};

}  // namespace kestrel::win32
