#include "app/cGlobalAtom.h"

#include "platform/platform.h"

namespace kestrel {

cGlobalAtom::cGlobalAtom() {
    auto& hotkeys = *platform::Current().hotkeys;
    atom_ = hotkeys.AddGlobalAtom(hotkeys.LocalDateTimeText());
}

cGlobalAtom::~cGlobalAtom() {
    if (auto* hotkeys = platform::Current().hotkeys) hotkeys->DeleteGlobalAtom(atom_);
}

}  // namespace kestrel
