#include "platform/win32/log_file.h"

#include <windows.h>

#include <shlobj.h>

#include "platform/win32/handles.h"
#include "platform/win32/text.h"

namespace kestrel::win32 {
namespace {

// The user's own local application data, as the system knows it (not an
// environment variable that may be unset or wrong); empty when it does not
// say, and then there is no log rather than one at the root of a drive.
std::wstring LocalAppData() {
    PWSTR folder = nullptr;
    std::wstring path;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DONT_VERIFY, nullptr, &folder)) && folder)
        path = folder;
    CoTaskMemFree(folder);
    return path;
}

std::wstring DefaultFolder() {
    const auto base = LocalAppData();
    return base.empty() ? base : base + L"\\Kestrel";
}

// `number` in `width` digits, zeros in front.
void Digits(std::string& out, unsigned number, int width) {
    std::string digits(static_cast<std::size_t>(width), '0');
    for (int i = width - 1; i >= 0 && number; --i, number /= 10) digits[static_cast<std::size_t>(i)] = char('0' + number % 10);
    out += digits;
}

// "2026-12-08 09:14:03.127 ", the local time.
std::string Stamp() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    std::string text;
    const struct {
        unsigned value;
        int width;
        char after;
    } parts[] = {{t.wYear, 4, '-'},  {t.wMonth, 2, '-'},  {t.wDay, 2, ' '},           {t.wHour, 2, ':'},
                 {t.wMinute, 2, ':'}, {t.wSecond, 2, '.'}, {t.wMilliseconds, 3, ' '}};
    for (const auto& p : parts) {
        Digits(text, p.value, p.width);
        text += p.after;
    }
    return text;
}

}  // namespace

LogFile::LogFile(std::wstring folder, std::uint64_t limitBytes)
    : folder_(!folder.empty() ? std::move(folder) : DefaultFolder()),
      path_(folder_.empty() ? std::wstring() : folder_ + L"\\kestrel.log"),
      limit_(limitBytes) {}

// Opened for each line and closed again: nothing is held open between
// presses, and a second program of the session may write too.
bool LogFile::Append(const std::string& line) {
    if (path_.empty()) return false;
    CreateDirectoryW(folder_.c_str(), nullptr);
    const auto open = [&] {
        return FileHandle(CreateFileW(path_.c_str(), FILE_APPEND_DATA,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    };
    FileHandle file = open();
    if (!file) return false;
    LARGE_INTEGER size{};
    std::string text;
    if (GetFileSizeEx(file.get(), &size) && static_cast<std::uint64_t>(size.QuadPart) >= limit_) {
        file.reset();
        const std::wstring older = folder_ + L"\\kestrel.1.log";
        if (MoveFileExW(path_.c_str(), older.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            file = open();
        } else {
            // The older log is read-only, or held by a viewer that does not
            // share deletion: this one starts over rather than grow unbounded.
            const DWORD reason = GetLastError();
            file = FileHandle(CreateFileW(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            text = Stamp() + "the log reached its size and could not become kestrel.1.log (error " +
                   std::to_string(reason) + "): it starts over\r\n";
        }
        if (!file) return false;
    }
    text += Stamp() + line + "\r\n";
    DWORD written = 0;
    return WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

}  // namespace kestrel::win32
