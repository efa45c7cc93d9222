#include <windows.h>

#include <shellapi.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "platform/win32/shell_win32.h"
#include "platform/win32/text.h"

namespace kestrel::win32 {

// The shell's first-version ANSI icon record, laid out as Shell_NotifyIconA
// reads it: 88 bytes in the 32-bit build, with a 64-character tip.
struct NotifyIconDataV1A {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    CHAR szTip[64];
};
static_assert(sizeof(void*) != 4 || sizeof(NotifyIconDataV1A) == 88, "the 32-bit record is 88 bytes");
static_assert(sizeof(NotifyIconDataV1A) == NOTIFYICONDATAA_V1_SIZE, "the record is the shell's first version");
static_assert(offsetof(NotifyIconDataV1A, szTip) == offsetof(NOTIFYICONDATAA, szTip), "same layout as the shell's");

namespace {

class Win32Shell final : public platform::Shell {
public:
    void NotifyIcon(std::uint32_t message, const platform::TrayIconRecord& record) override {
        NotifyIconDataV1A data;
        std::memset(&data, 0, sizeof data);
        data.cbSize = sizeof data;
        data.hWnd = reinterpret_cast<HWND>(record.window);
        data.uID = record.id;
        data.uFlags = record.flags;
        data.uCallbackMessage = record.callbackMessage;
        data.hIcon = reinterpret_cast<HICON>(record.icon);
        // The tip in the system's code page, its NUL, then blanks; cut so that
        // the NUL always fits, or the shell would read past the field.
        std::memset(data.szTip, ' ', sizeof data.szTip);
        const auto wide = Widen(record.tip);
        char tip[256] = "";
        const int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), tip, 255, nullptr,
                                          nullptr);
        const auto length = static_cast<std::size_t>(n < 63 ? n : 63);
        std::memcpy(data.szTip, tip, length);
        data.szTip[length] = '\0';
        Shell_NotifyIconA(message, reinterpret_cast<PNOTIFYICONDATAA>(&data));
    }

    std::uintptr_t WindowIcon(platform::WindowId window) override {
        const HWND hwnd = reinterpret_cast<HWND>(window);
        auto icon = SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0);
        if (!icon) icon = SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0);
        if (!icon) icon = static_cast<LRESULT>(GetClassLongPtrW(hwnd, GCLP_HICON));
        return static_cast<std::uintptr_t>(icon);
    }

    void SetTaskVisible(platform::WindowId window, bool visible) override {
        // A tool window is on neither the task list nor Alt+Tab.
        const HWND hwnd = reinterpret_cast<HWND>(window);
        auto style = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
        style = visible ? ((style & ~WS_EX_TOOLWINDOW) | WS_EX_APPWINDOW) : ((style | WS_EX_TOOLWINDOW) & ~WS_EX_APPWINDOW);
        SetWindowLongPtrW(hwnd, GWL_EXSTYLE, style);
    }

    void SetForegroundWindow(platform::WindowId window) override {
        ::SetForegroundWindow(reinterpret_cast<HWND>(window));
    }

    Version ApplicationVersion() override {
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(self, &ignored);
        if (!size) return {};
        std::string block(size, '\0');
        VS_FIXEDFILEINFO* info = nullptr;
        UINT length = 0;
        if (!GetFileVersionInfoW(self, 0, size, block.data()) ||
            !VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info)
            return {};
        // Major, minor, and the revision in the last of the four numbers.
        return {HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionLS)};
    }

    std::uint32_t TaskbarCreatedMessage() override {
        static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
        return message;
    }
};

}  // namespace

platform::Shell& RealShell() {
    static Win32Shell shell;
    return shell;
}

}  // namespace kestrel::win32
