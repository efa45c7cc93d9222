#include "platform/win32/dispatch.h"
#include "platform/win32/instances.h"

#include <commctrl.h>
#include <sddl.h>

#include <vector>

#include "platform/error.h"

namespace kestrel::win32 {
namespace {

constexpr UINT_PTR kSubclassId = 3;
// A program that has just started may not have its main window yet.
constexpr ULONGLONG kFindBoundMs = 2000;

// The user's SID as text; the user name should the token not tell it.
std::wstring UserId() {
    KernelHandle token;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.receive())) {
        DWORD size = 0;
        GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
        std::vector<BYTE> buffer(size);
        wchar_t* sid = nullptr;
        if (size && GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size) &&
            ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid)) {
            std::wstring text = sid;
            LocalFree(sid);
            return text;
        }
    }
    wchar_t user[257] = L"";
    DWORD length = 257;
    GetUserNameW(user, &length);
    return user;
}

struct Search {
    const wchar_t* property;
    HWND found;
};

BOOL CALLBACK FindMarked(HWND hwnd, LPARAM lParam) {
    auto& search = *reinterpret_cast<Search*>(lParam);
    if (GetPropW(hwnd, search.property)) search.found = hwnd;
    return search.found ? FALSE : TRUE;
}

}  // namespace

Instances::Instances()
    : name_(L"Kestrel." + UserId()), showSettings_(RegisterWindowMessageW(L"Kestrel.ShowSettings")) {}

Instances::~Instances() { StopListening(); }

bool Instances::ClaimSession() {
    if (mutex_) return true;
    KernelHandle mutex(CreateMutexW(nullptr, FALSE, (L"Local\\" + name_).c_str()));
    const DWORD error = GetLastError();
    // A program that cannot tell runs rather than not at all.
    if (!mutex || error != ERROR_ALREADY_EXISTS) {
        mutex_ = std::move(mutex);
        return true;
    }
    if (const HWND running = FindRunning()) {
        // Our start came from the user, so we may hand the foreground on.
        DWORD pid = 0;
        GetWindowThreadProcessId(running, &pid);
        AllowSetForegroundWindow(pid);
        PostMessageW(running, showSettings_, 0, 0);
    }
    return false;
}

HWND Instances::FindRunning() const {
    const auto deadline = GetTickCount64() + kFindBoundMs;
    for (;;) {
        Search search{name_.c_str(), nullptr};
        EnumWindows(FindMarked, reinterpret_cast<LPARAM>(&search));
        if (search.found || GetTickCount64() >= deadline) return search.found;
        Sleep(50);
    }
}

void Instances::ListenForLaterStarts(platform::WindowId mainWindow, std::function<void()> onSettingsWanted) {
    StopListening();
    const HWND hwnd = reinterpret_cast<HWND>(mainWindow);
    onSettingsWanted_ = std::move(onSettingsWanted);
    if (!SetWindowSubclass(hwnd, WindowProcedure, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        throw Error("the window's messages cannot be listened to");
    listening_ = hwnd;
    SetPropW(hwnd, name_.c_str(), reinterpret_cast<HANDLE>(1));
}

void Instances::StopListening() {
    if (!listening_) return;
    if (IsWindow(listening_)) {
        RemovePropW(listening_, name_.c_str());
        RemoveWindowSubclass(listening_, WindowProcedure, kSubclassId);
    }
    listening_ = nullptr;
}

LRESULT CALLBACK Instances::WindowProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                            DWORD_PTR data) {
    auto* self = reinterpret_cast<Instances*>(data);
    if (msg == self->showSettings_) {
        CallFromDispatch(self->onSettingsWanted_);  // the dialog it opens may outlive a new listening
        return 0;
    }
    if (msg == WM_NCDESTROY) self->StopListening();
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace kestrel::win32
