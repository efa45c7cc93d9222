#pragma once
#include "platform/platform.h"

namespace kestrel::win32 {

// The real implementations of the seam, one instance each for the process.
platform::Services RealServices();

}  // namespace kestrel::win32
