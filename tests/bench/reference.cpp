// The least a program can do for Kestrel's job, the yardstick scripts/bench
// measures Kestrel against: a hidden window, a tray icon, one hotkey, a copy
// through the keys (with the line as the fallback) read off the clipboard, and
// the script runner started. Nothing else: no settings store, no dialogs.
//   kestrel_bench_reference --hotkey MODIFIERS VK --title T --doctype D --field F
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

namespace {

constexpr UINT kTrayMessage = WM_APP + 1;
constexpr wchar_t kRunner[] = L"C:\\program files\\tamarind\\scripts\\halyard.exe";

struct Options {
    UINT modifiers = MOD_CONTROL | MOD_SHIFT;
    UINT key = VK_F11;
    std::wstring title, docType, field;
};

Options g_options;

void SendKeys(std::initializer_list<std::pair<WORD, bool>> keys) {
    std::vector<INPUT> in;
    for (const auto& [vk, up] : keys) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = vk;
        // Without the scan code the key translates to no character, and an
        // edit copies on Ctrl+C's character; Home and End are extended keys.
        i.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
        i.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (vk == VK_HOME || vk == VK_END ? KEYEVENTF_EXTENDEDKEY : 0);
        in.push_back(i);
    }
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

// Waits while answering messages: the copier's EmptyClipboard sends this
// program, the clipboard's last owner, a message and waits for the answer.
void Pump(DWORD ms) {
    MsgWaitForMultipleObjectsEx(0, nullptr, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Keys typed while the user still holds Ctrl or Shift would arrive changed.
void WaitForModifiersUp() {
    for (int i = 0; i < 1000; ++i) {
        if (GetAsyncKeyState(VK_CONTROL) >= 0 && GetAsyncKeyState(VK_SHIFT) >= 0 && GetAsyncKeyState(VK_MENU) >= 0)
            return;
        Pump(1);
    }
}

std::wstring ReadClipboard(HWND owner) {
    std::wstring text;
    if (!OpenClipboard(owner)) return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = p;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

// The copy lands when the application gets round to it: the sequence number tells.
std::wstring CopyAndWait(HWND owner, DWORD timeoutMs) {
    const DWORD before = GetClipboardSequenceNumber();
    SendKeys({{VK_CONTROL, false}, {'C', false}, {'C', true}, {VK_CONTROL, true}});
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        // The number moves when the copier empties the clipboard, before its
        // text is there, and the copier may still hold it open: read until it is.
        if (GetClipboardSequenceNumber() != before) {
            std::wstring text = ReadClipboard(owner);
            if (!text.empty()) return text;
        }
        Pump(1);
    }
    return {};
}

void OnHotKey(HWND hwnd) {
    WaitForModifiersUp();
    if (!g_options.title.empty()) {
        HWND source = FindWindowW(nullptr, g_options.title.c_str());
        if (!source) return;
        SetForegroundWindow(source);
    }
    if (OpenClipboard(hwnd)) {
        EmptyClipboard();
        CloseClipboard();
    }
    std::wstring value = CopyAndWait(hwnd, 500);
    if (value.empty()) {
        SendKeys({{VK_HOME, false}, {VK_HOME, true}, {VK_SHIFT, false}, {VK_END, false}, {VK_END, true},
                  {VK_SHIFT, true}});
        value = CopyAndWait(hwnd, 1000);
    }
    if (value.empty()) return;
    std::wstring commandLine = L"\"" + std::wstring(kRunner) + L"\" Index=" + g_options.docType +
                               L";Criteria=" + g_options.field + L"='" + value + L"'";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(kRunner, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
}

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_HOTKEY:
        OnHotKey(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    for (int i = 1; i < argc; ++i) {
        const std::wstring a = argv[i];
        auto next = [&] { return i + 1 < argc ? std::wstring(argv[++i]) : std::wstring(); };
        if (a == L"--hotkey") {
            g_options.modifiers = static_cast<UINT>(_wtoi(next().c_str()));
            g_options.key = static_cast<UINT>(_wtoi(next().c_str()));
        } else if (a == L"--title") g_options.title = next();
        else if (a == L"--doctype") g_options.docType = next();
        else if (a == L"--field") g_options.field = next();
    }
    LocalFree(argv);

    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.lpszClassName = L"KestrelBenchReference";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"Kestrel Bench Reference", 0, 0, 0, 0, 0, nullptr, nullptr,
                                instance, nullptr);

    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = hwnd;
    icon.uID = 1;
    icon.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    icon.uCallbackMessage = kTrayMessage;
    icon.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    lstrcpynW(icon.szTip, L"Kestrel Bench Reference", ARRAYSIZE(icon.szTip));
    Shell_NotifyIconW(NIM_ADD, &icon);
    if (!RegisterHotKey(hwnd, 1, g_options.modifiers, g_options.key)) return 1;

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    Shell_NotifyIconW(NIM_DELETE, &icon);
    return 0;
}
