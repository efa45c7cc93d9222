#pragma once
#include <windows.h>

#include "platform/desktop.h"
#include "platform/win32/system_library.h"

namespace kestrel::win32 {

class Desktop final : public platform::Desktop {
public:
    std::vector<platform::WindowCandidate> TopLevelWindows() override;
    void Activate(platform::WindowId window) override;
    platform::WindowId ForegroundWindow() override;
    platform::WindowFacts Describe(platform::WindowId window) override;
    std::vector<platform::ControlFacts> FocusPath(platform::WindowId window) override;
    std::vector<platform::ChildWindow> Descendants(platform::WindowId window) override;
    bool IsInFront(platform::WindowId window) override;
    bool WaitUntilAnswered(platform::WindowId window, int boundMs) override;
    void BringToFront(platform::WindowId window) override;
    void HideFromTaskList(platform::WindowId window) override;

    using GetWindowAttribute = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);

private:
    // The window manager's, which is no known DLL: from the system folder.
    SystemLibrary dwmapi_{L"dwmapi.dll"};
    GetWindowAttribute getAttribute_ = dwmapi_.Get<GetWindowAttribute>("DwmGetWindowAttribute");
};

}  // namespace kestrel::win32
