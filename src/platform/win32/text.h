#pragma once
// UTF-8 inside the program, UTF-16 at the Windows API.
#include <string>

namespace kestrel::win32 {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);
std::string Narrow(const wchar_t* utf16, std::size_t length);
// The text of the last Windows error, prefixed with what was being done.
std::string LastErrorText(const std::string& doing, unsigned long code);

}  // namespace kestrel::win32
