#pragma once
#include <cstdint>

namespace kestrel::platform {

// The thread's window messages and the clock the program waits by.
class EventLoop {
public:
    virtual ~EventLoop() = default;
    // Handles every pending message of this thread, then returns.
    virtual void DoEvents() = 0;
    // Sleeps until input or a message arrives or `ms` milliseconds pass, then
    // handles what is pending. Never busy-waits.
    virtual void WaitForEvents(int ms) = 0;
    // A monotonic clock in milliseconds.
    virtual std::int64_t NowMs() = 0;
    // Today's date in UTC, as days since 1970-01-01: what learned values age by.
    virtual std::int64_t Today() = 0;
};

}  // namespace kestrel::platform
