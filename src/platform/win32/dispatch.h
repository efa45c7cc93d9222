#pragma once
#include <functional>

namespace kestrel::win32 {

// Calls a handler from a window procedure. It gets a copy, since the handler
// may free the record it was kept in; and nothing may unwind into the
// system's dispatch (the handlers report their own failures).
inline void CallFromDispatch(std::function<void()> handler) noexcept {
    try {
        if (handler) handler();
    } catch (...) {
    }
}

}  // namespace kestrel::win32
