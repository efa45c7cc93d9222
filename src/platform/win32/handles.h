#pragma once
// Owners of Windows handles and of the system's paired calls (open/close,
// begin/end, select/restore): one move-only or scoped type per kind, copying
// deleted, so that nothing is closed twice, left open or leaked.
#include <windows.h>

#include <utility>

#include "platform/error.h"

namespace kestrel::win32 {

template <typename Handle, typename Traits>
class Owned {
public:
    Owned() = default;
    explicit Owned(Handle h) : h_(h) {}
    ~Owned() { reset(); }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Owned(Owned&& other) noexcept : h_(std::exchange(other.h_, Traits::none())) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) {
            reset();
            h_ = std::exchange(other.h_, Traits::none());
        }
        return *this;
    }
    Handle get() const { return h_; }
    Handle* receive() {
        reset();
        return &h_;
    }
    explicit operator bool() const { return h_ != Traits::none(); }
    void reset() {
        if (h_ != Traits::none()) Traits::close(h_);
        h_ = Traits::none();
    }

private:
    Handle h_ = Traits::none();
};

struct RegKeyTraits {
    static HKEY none() { return nullptr; }
    static void close(HKEY h) { RegCloseKey(h); }
};
using RegKey = Owned<HKEY, RegKeyTraits>;

struct KernelHandleTraits {
    static HANDLE none() { return nullptr; }
    static void close(HANDLE h) { CloseHandle(h); }
};
using KernelHandle = Owned<HANDLE, KernelHandleTraits>;

// A wait of the thread pool; its end waits for a callback under way.
struct PoolWaitTraits {
    static HANDLE none() { return nullptr; }
    static void close(HANDLE h) { UnregisterWaitEx(h, INVALID_HANDLE_VALUE); }
};
using PoolWait = Owned<HANDLE, PoolWaitTraits>;

// CreateFile's and CreateToolhelp32Snapshot's: INVALID_HANDLE_VALUE is their "none".
struct FileHandleTraits {
    static HANDLE none() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { CloseHandle(h); }
};
using FileHandle = Owned<HANDLE, FileHandleTraits>;

// FindFirstFile's handle: INVALID_HANDLE_VALUE is its "none".
struct FindHandleTraits {
    static HANDLE none() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { FindClose(h); }
};
using FindHandle = Owned<HANDLE, FindHandleTraits>;

struct WindowTraits {
    static HWND none() { return nullptr; }
    static void close(HWND h) { DestroyWindow(h); }
};
using Window = Owned<HWND, WindowTraits>;

template <typename Handle>
struct GdiObjectTraits {
    static Handle none() { return nullptr; }
    static void close(Handle h) { DeleteObject(h); }
};
using Font = Owned<HFONT, GdiObjectTraits<HFONT>>;
using Pen = Owned<HPEN, GdiObjectTraits<HPEN>>;

struct IconTraits {
    static HICON none() { return nullptr; }
    static void close(HICON h) { DestroyIcon(h); }
};
using Icon = Owned<HICON, IconTraits>;

struct MenuTraits {
    static HMENU none() { return nullptr; }
    static void close(HMENU h) { DestroyMenu(h); }  // and every pop-up appended to it
};
using Menu = Owned<HMENU, MenuTraits>;

struct HookTraits {
    static HHOOK none() { return nullptr; }
    static void close(HHOOK h) { UnhookWindowsHookEx(h); }
};
using Hook = Owned<HHOOK, HookTraits>;

// The screen's device context, for the life of the object.
class ScreenDc {
public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ~ScreenDc() {
        if (dc_) ReleaseDC(nullptr, dc_);
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// A GDI object selected into a device context; the previous one goes back.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~Selection() { SelectObject(dc_, old_); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// BeginPaint and EndPaint.
class Painting {
public:
    explicit Painting(HWND hwnd) : hwnd_(hwnd) { BeginPaint(hwnd_, &ps_); }
    ~Painting() { EndPaint(hwnd_, &ps_); }
    Painting(const Painting&) = delete;
    Painting& operator=(const Painting&) = delete;
    HDC dc() const { return ps_.hdc; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
};

// The clipboard, open for the life of the object. Opened without an owner
// window: emptying it then does not make this process the clipboard's owner,
// which would otherwise block the source application's copy until we pump.
class ClipboardOpen {
public:
    explicit ClipboardOpen(HWND owner = nullptr) {
        if (!OpenClipboard(owner)) throw ClipboardBusy();
    }
    ~ClipboardOpen() { CloseClipboard(); }
    ClipboardOpen(const ClipboardOpen&) = delete;
    ClipboardOpen& operator=(const ClipboardOpen&) = delete;
};

// GlobalLock for the life of the object.
class GlobalLockGuard {
public:
    explicit GlobalLockGuard(HGLOBAL h) : h_(h), p_(h ? GlobalLock(h) : nullptr) {}
    ~GlobalLockGuard() {
        if (p_) GlobalUnlock(h_);
    }
    GlobalLockGuard(const GlobalLockGuard&) = delete;
    GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;
    void* get() const { return p_; }

private:
    HGLOBAL h_;
    void* p_;
};

}  // namespace kestrel::win32
