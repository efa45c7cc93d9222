#include "platform/win32/settings_changes.h"

#include <commctrl.h>

#include "platform/error.h"
#include "platform/win32/dispatch.h"
#include "platform/win32/registry_store.h"
#include "platform/win32/text.h"

namespace kestrel::win32 {
namespace {

constexpr UINT_PTR kSubclassId = 4;
constexpr WPARAM kFromStore = 1;

}  // namespace

SettingsChanges::SettingsChanges() : changed_(RegisterWindowMessageW(L"Kestrel.SettingsChanged")) {}

SettingsChanges::~SettingsChanges() { StopListening(); }

void SettingsChanges::Listen(platform::WindowId mainWindow, const std::string& app, std::function<void()> onChanged) {
    StopListening();
    const HWND hwnd = reinterpret_cast<HWND>(mainWindow);
    onChanged_ = std::move(onChanged);
    if (!SetWindowSubclass(hwnd, WindowProcedure, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        throw Error("the window's messages cannot be listened to");
    window_ = hwnd;
    // Policy is heard from here on; the store only if its key can be watched.
    keyPath_ = StoreKeyPath(app);
    event_ = KernelHandle(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!event_) throw Error(LastErrorText("cannot watch the settings", GetLastError()));
    if (!Watch()) throw Error("cannot watch the settings' key");
    if (!RegisterWaitForSingleObject(wait_.receive(), event_.get(), Signalled, this, INFINITE, WT_EXECUTEDEFAULT))
        throw Error(LastErrorText("cannot watch the settings", GetLastError()));
}

bool SettingsChanges::Watch() {
    constexpr DWORD kWhat = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;
    // A key removed meanwhile (by a script, say) is made again, empty, to be watched.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!key_ && RegCreateKeyExW(HKEY_CURRENT_USER, keyPath_.c_str(), 0, nullptr, 0, KEY_NOTIFY, nullptr,
                                     key_.receive(), nullptr) != ERROR_SUCCESS)
            return false;
        if (RegNotifyChangeKeyValue(key_.get(), TRUE, kWhat, event_.get(), TRUE) == ERROR_SUCCESS) return true;
        key_.reset();
    }
    return false;
}

void CALLBACK SettingsChanges::Signalled(PVOID context, BOOLEAN) {
    auto* self = static_cast<SettingsChanges*>(context);
    PostMessageW(self->window_, self->changed_, kFromStore, 0);
}

void SettingsChanges::StopListening() {
    wait_.reset();
    key_.reset();  // ends the notice asked for
    if (window_ && IsWindow(window_)) RemoveWindowSubclass(window_, WindowProcedure, kSubclassId);
    window_ = nullptr;
}

LRESULT CALLBACK SettingsChanges::WindowProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                  DWORD_PTR data) {
    auto* self = reinterpret_cast<SettingsChanges*>(data);
    if (msg == self->changed_) {
        // The next change is asked for before this one is read, so none goes unheard.
        if (wParam == kFromStore) self->Watch();
        CallFromDispatch(self->onChanged_);
        return 0;
    }
    if (msg == WM_SETTINGCHANGE && lParam && lstrcmpiW(reinterpret_cast<const wchar_t*>(lParam), L"Policy") == 0)
        PostMessageW(hwnd, self->changed_, 0, 0);
    if (msg == WM_NCDESTROY) self->StopListening();
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace kestrel::win32
