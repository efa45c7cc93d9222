#pragma once
#include <cstdint>

namespace kestrel {

// A global atom named after the moment of its creation, so that each start of
// the program has its own; it serves as the hotkey's identifier. The atom is
// deleted with the object.
class cGlobalAtom {
public:
    cGlobalAtom();
    ~cGlobalAtom();
    cGlobalAtom(const cGlobalAtom&) = delete;
    cGlobalAtom& operator=(const cGlobalAtom&) = delete;
    std::int32_t value() const { return atom_; }  // 0 if the atom could not be added

private:
    std::int32_t atom_ = 0;
};

}  // namespace kestrel
