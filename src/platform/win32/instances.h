#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "platform/instances.h"
#include "platform/win32/handles.h"

namespace kestrel::win32 {

// One program per user and session: a mutex named for the user in the
// session's namespace, held for the object's life. The running program's
// main window carries a property of the same name, by which a later start
// finds it and posts it the request.
class Instances final : public platform::Instances {
public:
    Instances();
    ~Instances() override;
    Instances(const Instances&) = delete;
    Instances& operator=(const Instances&) = delete;

    bool ClaimSession() override;
    void ListenForLaterStarts(platform::WindowId mainWindow, std::function<void()> onSettingsWanted) override;

    // What a later start posts to the running program's main window.
    UINT ShowSettingsMessage() const { return showSettings_; }

private:
    static LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                            DWORD_PTR data);
    void StopListening();
    HWND FindRunning() const;

    const std::wstring name_;  // of the mutex and of the window property
    const UINT showSettings_;
    KernelHandle mutex_;
    HWND listening_ = nullptr;
    std::function<void()> onSettingsWanted_;
};

}  // namespace kestrel::win32
