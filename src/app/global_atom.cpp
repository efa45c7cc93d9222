#include "app/global_atom.h"

namespace kestrel {

GlobalAtom::GlobalAtom(platform::HotKeys& hotKeys)
    : hotKeys_(hotKeys), atom_(hotKeys.AddAtom(hotKeys.LocalDateTimeText())) {}

GlobalAtom::~GlobalAtom() { hotKeys_.DeleteAtom(atom_); }

}  // namespace kestrel
