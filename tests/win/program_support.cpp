#include "win/program_support.h"

namespace kestrel::wintest {
namespace {

struct WindowSearch {
    DWORD pid;
    std::wstring title;
    std::wstring cls;  // empty: any but a message box
    HWND found = nullptr;
};

BOOL CALLBACK FindOf(HWND hwnd, LPARAM lParam) {
    auto& s = *reinterpret_cast<WindowSearch*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t title[256] = L"", cls[64] = L"";
    GetWindowTextW(hwnd, title, 256);
    GetClassNameW(hwnd, cls, 64);
    const bool classMatches = s.cls.empty() ? std::wstring(cls) != L"#32770" : s.cls == cls;
    if (pid == s.pid && classMatches && (s.title.empty() || s.title == title)) s.found = hwnd;
    return s.found ? FALSE : TRUE;
}

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM lParam) {
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hwnd);
    return TRUE;
}

}  // namespace

HWND WindowOf(DWORD pid, const std::wstring& title, const std::wstring& cls) {
    WindowSearch search{pid, title, cls};
    EnumWindows(FindOf, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> Children(HWND form) {
    std::vector<HWND> all;
    EnumChildWindows(form, CollectChild, reinterpret_cast<LPARAM>(&all));
    return all;
}

std::vector<HWND> Controls(HWND form, const std::wstring& cls) {
    std::vector<HWND> matching;
    for (HWND h : Children(form)) {
        wchar_t name[64];
        GetClassNameW(h, name, 64);
        if (_wcsicmp(name, cls.c_str()) == 0) matching.push_back(h);
    }
    return matching;
}

HWND ButtonCaptioned(HWND form, const std::wstring& caption) {
    for (HWND b : Controls(form, L"Button")) {
        wchar_t text[64];
        GetWindowTextW(b, text, 64);
        if (caption == text) return b;
    }
    return nullptr;
}

std::wstring TextOf(HWND hwnd) {
    wchar_t text[512] = L"";
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, Scaled(2000), &ignored);
    return text;
}

void SetTextOf(HWND hwnd, const std::wstring& text) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, Scaled(2000), &ignored);
}

void Front(HWND hwnd) {
    HWND top = GetAncestor(hwnd, GA_ROOT);
    SetForegroundWindow(top);
    WaitFor([&] { return GetForegroundWindow() == top; }, 1000);
}

// A button's click. (Injected mouse clicks land unreliably under Wine's X
// driver, where the pointer can lag behind an injected move; the keys are
// typed for real.)
void Click(HWND button) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, Scaled(5000), &ignored);
}

// Modifying nothing succeeds only for an icon that is there.
bool IconShown(HWND window) {
    NOTIFYICONDATAW data{};
    data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data.hWnd = window;
    data.uID = 1;
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

}  // namespace kestrel::wintest
