#pragma once
// What the tests of the complete program share: finding its windows, reading
// and clicking their controls, and the program started with its settings in
// the registry.
#include <windows.h>

#include <shellapi.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/notification_area.h"
#include "win/win_support.h"

namespace kestrel::wintest {

inline const wchar_t* kSettingsKey = L"Software\\VB and VBA Program Settings\\Kestrel\\Settings";
inline const std::string kRunner = "\"C:\\program files\\tamarind\\scripts\\halyard.exe\"";

// A top-level window of the process with that title (any, if empty) and class
// (any but a message box, if empty).
HWND WindowOf(DWORD pid, const std::wstring& title, const std::wstring& cls = L"");
std::vector<HWND> Children(HWND form);
// A form's controls of one class, in their creation (and so Tab) order.
std::vector<HWND> Controls(HWND form, const std::wstring& cls);
HWND ButtonCaptioned(HWND form, const std::wstring& caption);
std::wstring TextOf(HWND hwnd);
void SetTextOf(HWND hwnd, const std::wstring& text);
// Brings the window in front, as a person looks at it before typing.
void Front(HWND hwnd);
// A button's click.
void Click(HWND button);
// Whether the shell shows an icon for the window.
bool IconShown(HWND window);

class ProgramWinTest : public WinTest {
protected:
    ProgramWinTest() { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Kestrel"); }
    ~ProgramWinTest() override {
        program_.reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Kestrel");
    }
    static void Settings(const std::map<std::wstring, std::wstring>& values) {
        for (const auto& [name, value] : values)
            RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, name.c_str(), REG_SZ, value.c_str(),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    static void CompleteSettings() {
        Settings({{L"SourceWindow", L"Orders - ACME"}, {L"AppName", L"Claims"}, {L"Field", L"Account"},
                  {L"Hotkey", L"122"}, {L"HotKeyShift", L"3"}, {L"SaveNext", L"False"}});
    }
    static std::wstring Stored(const wchar_t* name) {
        wchar_t buffer[256];
        DWORD size = sizeof buffer;
        if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
            return L"<absent>";
        return buffer;
    }
    void Start() { program_ = std::make_unique<Process>(ProgramCommandLine()); }
    static std::wstring ProgramCommandLine() { return L"\"" + ProgramDir() + L"\\kestrel.exe\""; }
    DWORD Pid() const { return program_->id(); }
    HWND Main() {
        HWND main = nullptr;
        WaitFor([&] { return (main = WindowOf(Pid(), L"Kestrel")) != nullptr; }, 5000);
        return main;
    }
    HWND WaitForWindow(const std::wstring& title, const std::wstring& cls = L"", int ms = 5000) {
        HWND found = nullptr;
        WaitFor([&] { return (found = WindowOf(Pid(), title, cls)) != nullptr && IsWindowVisible(found); }, ms);
        return found;
    }
    bool Ended(int ms = 5000) {
        return WaitFor([&] { return WaitForSingleObject(program_->handle(), 0) == WAIT_OBJECT_0; }, ms);
    }
    // What the shell sends the icon's owner for a mouse message on the icon.
    static void MouseOnIcon(HWND main, UINT mouseMessage) {
        PostMessageW(main, win32::NotificationArea::kCallbackMessage, win32::NotificationArea::kIconId, mouseMessage);
    }
    static HWND VisibleMenu() {
        HWND menu = FindWindowW(L"#32768", nullptr);
        return menu && IsWindowVisible(menu) ? menu : nullptr;
    }
    HWND OpenMenu(HWND main) {
        MouseOnIcon(main, WM_RBUTTONUP);
        HWND menu = nullptr;
        WaitFor([&] { return (menu = VisibleMenu()) != nullptr; });
        return menu;
    }

    InstalledRunner runner_;
    std::unique_ptr<Process> program_;
};

}  // namespace kestrel::wintest
