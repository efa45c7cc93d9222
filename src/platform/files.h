#pragma once
#include <memory>
#include <string>

namespace kestrel::platform {

// A text file open for appending, written in the system's ANSI code page.
class TextFile {
public:
    virtual ~TextFile() = default;
    // Writes the text and a CR LF; throws Error when it cannot be written.
    virtual void WriteLine(const std::string& text) = 0;
    virtual void Close() = 0;
};

class Files {
public:
    virtual ~Files() = default;
    // Whether an ordinary file (neither hidden, system nor a folder) matches `path`.
    virtual bool FindOrdinaryFile(const std::string& path) = 0;
    virtual void Delete(const std::string& path) = 0;  // throws Error
    // Creates the file when it does not exist; throws Error.
    virtual std::unique_ptr<TextFile> OpenForAppend(const std::string& path) = 0;
    // Whether any file matches the full path.
    virtual bool Exists(const std::string& path) = 0;
};

}  // namespace kestrel::platform
