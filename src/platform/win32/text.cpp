#include "platform/win32/text.h"

#include <windows.h>

#include "platform/error.h"

namespace kestrel::win32 {

namespace {

std::wstring ToWide(UINT codePage, const std::string& text) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

}  // namespace

std::wstring Widen(const std::string& utf8) { return ToWide(CP_UTF8, utf8); }

std::string Narrow(const wchar_t* utf16, std::size_t length) {
    if (length == 0) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, utf16, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16, static_cast<int>(length), out.data(), n, nullptr, nullptr);
    return out;
}

std::string Narrow(const std::wstring& utf16) { return Narrow(utf16.data(), utf16.size()); }

std::string ToAnsi(const std::string& utf8, bool& lossy) {
    lossy = false;
    const auto wide = Widen(utf8);
    if (wide.empty()) return {};
    // With UTF-8 as the ANSI code page every character fits, and the system
    // refuses the "used default" flag there. Elsewhere no best-fit stand-ins:
    // a character the code page lacks must show as lost, not as a look-alike.
    const UINT codePage = GetACP();
    const bool utf8Page = codePage == CP_UTF8;
    const DWORD flags = utf8Page ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL replaced = FALSE;
    BOOL* usedDefault = utf8Page ? nullptr : &replaced;
    const int size = static_cast<int>(wide.size());
    const int n = WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, nullptr, usedDefault);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n <= 0 || WideCharToMultiByte(codePage, flags, wide.data(), size, out.data(), n, nullptr, usedDefault) != n)
        throw Error(LastErrorText("cannot convert the text to the system's code page", GetLastError()));
    lossy = replaced != FALSE;
    return out;
}

std::string FromAnsi(const std::string& ansi) { return Narrow(ToWide(CP_ACP, ansi)); }

std::string LastErrorText(const std::string& doing, unsigned long code) {
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text = n ? Narrow(buffer, n) : "error " + std::to_string(code);
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
        text.pop_back();
    return doing + ": " + text;
}

}  // namespace kestrel::win32
