#include "platform/win32/files.h"

#include <windows.h>

#include "platform/error.h"
#include "platform/win32/handles.h"
#include "platform/win32/text.h"

namespace kestrel::win32 {
namespace {

// Text in the system's ANSI code page, for the script runner that reads it so.
class AnsiFile final : public platform::TextFile {
public:
    AnsiFile(KernelHandle file, std::string path) : file_(std::move(file)), path_(std::move(path)) {}

    void WriteLine(const std::string& text) override {
        if (!file_) throw Error(path_ + " is closed");
        bool lossy = false;
        const auto bytes = ToAnsi(text + "\r\n", lossy);
        // A character the code page lacks would reach the runner as "?": a
        // different field name. Refuse rather than write the wrong script.
        if (lossy) throw Error("\"" + text + "\" cannot be written in the system's code page");
        DWORD written = 0;
        if (!WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written != bytes.size())
            throw Error(LastErrorText("cannot write " + path_, GetLastError()));
    }

    void Close() override { file_.reset(); }

private:
    KernelHandle file_;
    std::string path_;
};

}  // namespace

std::unique_ptr<platform::TextFile> Files::Create(const std::string& path) {
    const auto wide = Widen(path);
    // Replacing a hidden or system file takes its attributes, or the system refuses.
    DWORD attributes = GetFileAttributesW(wide.c_str());
    attributes = attributes == INVALID_FILE_ATTRIBUTES
                     ? FILE_ATTRIBUTE_NORMAL
                     : (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) | FILE_ATTRIBUTE_NORMAL;
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, attributes, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw Error(LastErrorText("cannot open " + path, GetLastError()));
    return std::make_unique<AnsiFile>(KernelHandle(file), path);
}

bool Files::Exists(const std::string& path) {
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileW(Widen(path).c_str(), &data));
    return static_cast<bool>(find);
}

}  // namespace kestrel::win32
