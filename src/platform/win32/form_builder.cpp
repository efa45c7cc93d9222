#include "platform/win32/form_builder.h"

#include <algorithm>
#include <string>

#include "platform/error.h"
#include "platform/win32/text.h"

namespace kestrel::win32 {
namespace {

using forms::Border;
using forms::ControlKind;
using forms::StartPosition;

}  // namespace

HICON FormBuilder::ProgramIcon(IconSize size, int dpi) {
    const bool big = size == IconSize::Big;
    // Shared icons belong to the system: nobody destroys them.
    if (auto icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                  dpi::SystemMetric(big ? SM_CXICON : SM_CXSMICON, dpi),
                                                  dpi::SystemMetric(big ? SM_CYICON : SM_CYSMICON, dpi), LR_SHARED)))
        return icon;
    return LoadIconW(nullptr, IDI_APPLICATION);
}

void FormBuilder::SetIcons(HWND frame, const std::vector<Control>& controls) const {
    const int dpi = layout_.scale().dpiX();
    if (design_.showIcon) {
        SendMessageW(frame, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(ProgramIcon(IconSize::Big, dpi)));
        SendMessageW(frame, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(ProgramIcon(IconSize::Small, dpi)));
    }
    for (const auto& c : controls) {
        if (c.design.kind != ControlKind::Picture || !c.hwnd) continue;
        SendMessageW(c.hwnd, STM_SETICON, reinterpret_cast<WPARAM>(ProgramIcon(IconSize::Big, dpi)), 0);
    }
}

void FormBuilder::PlaceControls(const std::vector<Control>& controls) const {
    // The icon a picture shows resizes it to itself; the design's rectangle wins.
    for (const auto& c : controls) {
        if (!c.hwnd) continue;
        const RECT r = layout_.Rect(c.design);
        SetWindowPos(c.hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

FormBuilder::Styles FormBuilder::FrameStyles() const {
    DWORD style = WS_CLIPCHILDREN, exStyle = 0;
    switch (design_.border) {
    case Border::FixedSingle:
        style |= WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
        if (design_.minButton) style |= WS_MINIMIZEBOX;
        if (design_.maxButton) style |= WS_MAXIMIZEBOX;
        break;
    case Border::Sizable:
        style |= WS_OVERLAPPEDWINDOW;
        if (!design_.minButton) style &= ~static_cast<DWORD>(WS_MINIMIZEBOX);
        if (!design_.maxButton) style &= ~static_cast<DWORD>(WS_MAXIMIZEBOX);
        break;
    case Border::FixedDialog:
        style |= WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
        exStyle |= WS_EX_DLGMODALFRAME;
        break;
    }
    return {style, exStyle};
}

RECT FormBuilder::Frame() const {
    const auto styles = FrameStyles();
    RECT frame{0, 0, layout_.ClientWidth(), layout_.ClientHeight()};
    dpi::AdjustFrame(frame, styles.style, styles.exStyle, layout_.scale().dpiX());
    return frame;
}

std::vector<Control> FormBuilder::PlanControls() const {
    std::vector<Control> controls;
    const auto& designs = design_.controls;
    for (std::size_t i = 0; i < designs.size(); ++i)
        controls.push_back({designs[i], kFirstControlId + static_cast<int>(i), nullptr});
    std::stable_sort(controls.begin(), controls.end(),
                     [](const Control& a, const Control& b) { return a.design.tabIndex < b.design.tabIndex; });
    return controls;
}

HWND FormBuilder::CreateFrame(WNDPROC procedure, void* param) const {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const std::wstring className = L"Kestrel." + Widen(design_.name);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = procedure;
    wc.cbWndExtra = sizeof(LONG_PTR);
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = className.c_str();
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw Error(LastErrorText("cannot register the window class of " + design_.name, GetLastError()));

    const auto [style, exStyle] = FrameStyles();
    const RECT frame = Frame();
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT;
    if (design_.start == StartPosition::Manual) {
        x = layout_.scale().X(design_.left) + frame.left;
        y = layout_.scale().Y(design_.top) + frame.top;
    } else if (design_.start == StartPosition::CenterScreen) {
        RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        x = work.left + (work.right - work.left - width) / 2;
        y = work.top + (work.bottom - work.top - height) / 2;
    }

    const HWND hwnd = CreateWindowExW(exStyle, className.c_str(), Widen(design_.caption).c_str(), style, x, y, width,
                                      height, nullptr, nullptr, instance, param);
    if (!hwnd) throw Error(LastErrorText("cannot create the window of " + design_.name, GetLastError()));
    return hwnd;
}

void FormBuilder::CreateControls(HWND frame, std::vector<Control>& controls, HFONT font,
                                 SUBCLASSPROC boxProcedure) const {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    for (auto& c : controls) {
        const wchar_t* cls = L"STATIC";
        DWORD style = WS_CHILD | WS_VISIBLE, exStyle = 0;
        std::wstring text = Widen(c.design.text);
        switch (c.design.kind) {
        case ControlKind::Line:
            continue;
        case ControlKind::Label:
            style |= SS_LEFT;
            if (!c.design.useMnemonic) style |= SS_NOPREFIX;
            break;
        case ControlKind::ListBox:
            cls = L"LISTBOX";
            style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP;
            exStyle |= WS_EX_CLIENTEDGE;
            break;
        case ControlKind::TextBox:
            cls = L"EDIT";
            style |= ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP;
            exStyle |= WS_EX_CLIENTEDGE;
            break;
        case ControlKind::Button:
            cls = L"BUTTON";
            style |= (c.design.name == design_.defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP;
            break;
        case ControlKind::Picture:
            style |= SS_ICON;
            text.clear();  // an icon static would read its text as a resource name
            break;
        }
        const RECT r = layout_.Rect(c.design);
        c.hwnd = CreateWindowExW(exStyle, cls, text.c_str(), style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                 frame, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
        if (!c.hwnd) throw Error(LastErrorText("cannot create the control " + c.design.name, GetLastError()));
        SendMessageW(c.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (c.design.kind == ControlKind::TextBox) {
            SendMessageW(c.hwnd, EM_SETLIMITTEXT, 0, 0);
            if (!SetWindowSubclass(c.hwnd, boxProcedure, 0, 0))
                throw Error("cannot take the keys of the text box " + c.design.name);
        }
    }
    SetIcons(frame, controls);
    PlaceControls(controls);
}

}  // namespace kestrel::win32
