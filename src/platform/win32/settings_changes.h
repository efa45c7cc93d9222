#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "platform/settings_changes.h"
#include "platform/win32/handles.h"

namespace kestrel::win32 {

// Group Policy's refresh, as it tells every top-level window
// (WM_SETTINGCHANGE with "Policy"), and the registry's notice that something
// under the program's per-user key changed. The notice signals an event; a
// wait of the thread pool posts it to the window, whose thread asks for the
// next one and hands it on. Both reach the program as a posted message, so
// that neither Group Policy's broadcast nor the pool waits for a reload.
class SettingsChanges final : public platform::SettingsChanges {
public:
    SettingsChanges();
    ~SettingsChanges() override;
    SettingsChanges(const SettingsChanges&) = delete;
    SettingsChanges& operator=(const SettingsChanges&) = delete;

    void Listen(platform::WindowId mainWindow, const std::string& app, std::function<void()> onChanged) override;

private:
    static LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                            DWORD_PTR data);
    static void CALLBACK Signalled(PVOID context, BOOLEAN timedOut);
    void StopListening();
    // Asks for the key's next change; false when the key cannot be watched.
    bool Watch();

    const UINT changed_;  // posted to the window: wParam 1 from the store, 0 from policy
    HWND window_ = nullptr;
    std::wstring keyPath_;
    RegKey key_;
    KernelHandle event_;
    PoolWait wait_;  // declared after the event: gone before it
    std::function<void()> onChanged_;
};

}  // namespace kestrel::win32
