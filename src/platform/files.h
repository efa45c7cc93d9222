#pragma once
#include <memory>
#include <string>

namespace kestrel::platform {

// A text file open for writing, in the system's ANSI code page.
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
    // Opens the file empty, creating it or replacing what it held (hidden or
    // not); throws Error when it cannot, as for a read-only file.
    virtual std::unique_ptr<TextFile> Create(const std::string& path) = 0;
    // Whether any file matches the full path.
    virtual bool Exists(const std::string& path) = 0;
};

}  // namespace kestrel::platform
