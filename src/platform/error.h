#pragma once
#include <exception>
#include <string>
#include <utility>

namespace kestrel {

// A run-time error that travels to the nearest code that reports failures.
// what() is the description shown to the user. Not a std::runtime_error:
// that class brings the old string's code into the 32-bit program with it.
class Error : public std::exception {
public:
    explicit Error(std::string what) : what_(std::move(what)) {}
    explicit Error(const char* what) : what_(what) {}
    const char* what() const noexcept override { return what_.c_str(); }

private:
    std::string what_;
};

// Another process holds the clipboard open; worth retrying shortly.
class ClipboardBusy : public Error {
public:
    ClipboardBusy() : Error("the clipboard is in use by another program") {}
};

}  // namespace kestrel
