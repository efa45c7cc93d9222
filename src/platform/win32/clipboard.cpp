#include "platform/win32/clipboard.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>

#include "platform/win32/handles.h"
#include "platform/win32/text.h"

namespace kestrel::win32 {

void Clipboard::Clear() {
    ClipboardOpen open;
    if (!EmptyClipboard()) throw Error(LastErrorText("cannot empty the clipboard", GetLastError()));
}

std::string Clipboard::Text() {
    ClipboardOpen open;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (!data) return {};
    GlobalLockGuard lock(data);
    if (!lock.get()) return {};
    const auto* text = static_cast<const wchar_t*>(lock.get());
    // The block may be larger than the text; never read beyond it.
    return Narrow(text, wcsnlen(text, GlobalSize(data) / sizeof(wchar_t)));
}

namespace {

// Memory for the clipboard: freed here unless the clipboard took it.
class ClipboardBlock {
public:
    explicit ClipboardBlock(std::size_t bytes) : memory_(GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        if (!memory_) throw Error(LastErrorText("cannot hold the text for the clipboard", GetLastError()));
    }
    ~ClipboardBlock() {
        if (memory_) GlobalFree(memory_);
    }
    ClipboardBlock(const ClipboardBlock&) = delete;
    ClipboardBlock& operator=(const ClipboardBlock&) = delete;
    HGLOBAL get() const { return memory_; }
    void HandOver() { memory_ = nullptr; }

private:
    HGLOBAL memory_;
};

}  // namespace

void Clipboard::SetText(const std::string& text) {
    // Filled before the clipboard is opened, to hold it open only briefly.
    const std::wstring wide = Widen(text);
    ClipboardBlock block((wide.size() + 1) * sizeof(wchar_t));
    {
        GlobalLockGuard lock(block.get());
        if (!lock.get()) throw Error(LastErrorText("cannot hold the text for the clipboard", GetLastError()));
        std::copy(wide.c_str(), wide.c_str() + wide.size() + 1, static_cast<wchar_t*>(lock.get()));
    }
    ClipboardOpen open(Owner());
    if (!EmptyClipboard()) throw Error(LastErrorText("cannot empty the clipboard", GetLastError()));
    // The other text formats are made from this one when a program asks.
    if (!SetClipboardData(CF_UNICODETEXT, block.get()))
        throw Error(LastErrorText("cannot put the text on the clipboard", GetLastError()));
    block.HandOver();
}

std::uint32_t Clipboard::SequenceNumber() { return GetClipboardSequenceNumber(); }

HWND Clipboard::Owner() {
    if (!owner_) owner_ = Window(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
    return owner_.get();  // none: opened without an owner, as before
}

platform::Clipboard::Copier Clipboard::CopiedBy(platform::WindowId window) {
    // The owner is the window that opened the clipboard for the copy.
    const HWND owner = GetClipboardOwner();
    if (!owner) return Copier::NoWindow;
    DWORD ownerProcess = 0, windowProcess = 0;
    const bool same = GetWindowThreadProcessId(owner, &ownerProcess) &&
                      GetWindowThreadProcessId(reinterpret_cast<HWND>(window), &windowProcess) &&
                      ownerProcess == windowProcess;
    return same ? Copier::WindowsProgram : Copier::AnotherProgram;
}

}  // namespace kestrel::win32
