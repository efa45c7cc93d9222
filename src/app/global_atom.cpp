#include "app/global_atom.h"

namespace kestrel {

GlobalAtom::GlobalAtom(platform::HotKeys& hotKeys)
    : hotKeys_(hotKeys), atom_(hotKeys.AddGlobalAtom(hotKeys.LocalDateTimeText())) {}

GlobalAtom::~GlobalAtom() { hotKeys_.DeleteGlobalAtom(atom_); }

}  // namespace kestrel
