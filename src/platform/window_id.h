#pragma once
#include <cstdint>

namespace kestrel::platform {

using WindowId = std::uint64_t;  // 0 is no window

}  // namespace kestrel::platform
