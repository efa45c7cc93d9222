#pragma once
#include <stdexcept>

namespace kestrel {

// A run-time error that travels to the nearest code that reports failures.
// what() is the description shown to the user.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Another process holds the clipboard open; worth retrying shortly.
class ClipboardBusy : public Error {
public:
    ClipboardBusy() : Error("the clipboard is in use by another program") {}
};

}  // namespace kestrel
