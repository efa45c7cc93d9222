#pragma once
#include <string>

#include "platform/files.h"
#include "platform/message_boxes.h"
#include "platform/programs.h"
#include "platform/registry.h"

namespace kestrel {

// Reads a machine-wide registry value as text: REG_SZ as it is stored, a
// number as "&h" and its hexadecimal digits. Returns whether the value was
// read; a key or value that cannot be read leaves `value` empty. Throws Error
// for a value stored with no bytes at all.
bool ReadRegistryText(platform::Registry& registry, const std::string& key, const std::string& name,
                      std::string& value);

// Finds the system-information program through the registry and starts it, or
// says "System Information Is Unavailable At This Time".
void StartSystemInfo(platform::Registry& registry, platform::Files& files, platform::Programs& programs,
                     platform::MessageBoxes& messageBoxes);

}  // namespace kestrel
