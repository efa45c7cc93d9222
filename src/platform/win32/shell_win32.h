#pragma once
#include "platform/platform.h"

namespace kestrel::win32 {

platform::Shell& RealShell();

}  // namespace kestrel::win32
