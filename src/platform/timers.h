#pragma once
#include <cstdint>
#include <functional>

namespace kestrel::platform {

// Repeating timers on the program's thread; a tick arrives as a message.
class Timers {
public:
    using Id = std::uint32_t;
    virtual ~Timers() = default;
    // Calls `onTick` every `intervalMs` until stopped; throws Error.
    virtual Id Start(int intervalMs, std::function<void()> onTick) = 0;
    virtual void Stop(Id timer) = 0;  // an unknown or stopped timer is ignored
};

}  // namespace kestrel::platform
