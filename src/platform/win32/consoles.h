#pragma once
#include <windows.h>

#include <string>

#include "platform/consoles.h"
#include "platform/win32/handles.h"

namespace kestrel::win32 {

// Reads console windows through a console reader (console_reader.h), a
// process kept for a while and started again whenever it is gone: whatever
// a console does to the processes attached to it happens to that reader.
class Consoles final : public platform::Consoles {
public:
    // `readerProgram`: the full path of the program that reads consoles when
    // started with the reader's option; this program's own file.
    explicit Consoles(std::wstring readerProgram) : readerProgram_(std::move(readerProgram)) {}
    ~Consoles() override { EndReader(); }
    Consoles(const Consoles&) = delete;
    Consoles& operator=(const Consoles&) = delete;

    platform::ConsoleText Read(platform::WindowId window) override;
    // The full path of this program's file.
    static std::wstring ThisProgram();

private:
    bool StartReader();
    void EndReader();

    std::wstring readerProgram_;
    KernelHandle reader_;
    FileHandle pipe_;
    ULONGLONG lastAnswer_ = 0;  // or the reader's start
    bool answered_ = false;     // whether the reader has answered yet
    unsigned pipes_ = 0;        // to name each pipe apart
};

}  // namespace kestrel::win32
