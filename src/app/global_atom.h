#pragma once
#include <cstdint>

#include "platform/hotkeys.h"

namespace kestrel {

// A global atom named after the moment of its creation, so that each start of
// the program has its own; it serves as the hotkey's identifier. The atom is
// deleted with the object.
class GlobalAtom {
public:
    explicit GlobalAtom(platform::HotKeys& hotKeys);
    ~GlobalAtom();
    GlobalAtom(const GlobalAtom&) = delete;
    GlobalAtom& operator=(const GlobalAtom&) = delete;
    std::int32_t value() const { return atom_; }  // 0 if the atom could not be added

private:
    platform::HotKeys& hotKeys_;
    std::int32_t atom_ = 0;
};

}  // namespace kestrel
