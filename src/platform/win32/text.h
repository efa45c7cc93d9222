#pragma once
// UTF-8 inside the program, UTF-16 at the Windows API, and the system's ANSI
// code page where a reader outside the program expects it.
#include <string>

namespace kestrel::win32 {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);
std::string Narrow(const wchar_t* utf16, std::size_t length);
// UTF-8 text in the ANSI code page; `lossy` tells whether a character had no
// equivalent there and was replaced.
std::string ToAnsi(const std::string& utf8, bool& lossy);
std::string FromAnsi(const std::string& ansi);
// The text of the last Windows error, prefixed with what was being done.
std::string LastErrorText(const std::string& doing, unsigned long code);

}  // namespace kestrel::win32
