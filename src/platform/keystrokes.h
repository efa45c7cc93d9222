#pragma once
// The keystroke syntax the program types with: "^" holds Ctrl, "+" Shift and
// "%" Alt down for the next key; "{name}" is a named key ({home}, {end}, ...);
// letters, digits and blanks stand for themselves and "~" is Enter. Keys go
// out as key codes, never as characters, so that Ctrl+C means the C key under
// any keyboard layout.

#include <string>
#include <vector>

#include "platform/keyboard.h"

namespace kestrel::platform {

// One chord: modifiers down, the key down and up, modifiers up. A chord is
// injected in one batch so that no real keystroke can land in the middle.
using Chord = std::vector<KeyEvent>;

// Throws Error for text outside the syntax (unknown key name, unmatched brace,
// a modifier with no key after it, a character with no key of its own).
std::vector<Chord> ParseKeystrokes(const std::string& keys);

// Types `keys` into the foreground window, chord by chord; throws Error when
// the system takes fewer events than a chord holds.
void TypeKeystrokes(Keyboard& keyboard, const std::string& keys);

}  // namespace kestrel::platform
