#include "platform/win32/clipboard.h"

#include <windows.h>

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

std::uint32_t Clipboard::SequenceNumber() { return GetClipboardSequenceNumber(); }

}  // namespace kestrel::win32
