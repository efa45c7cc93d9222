#pragma once
#include <cstddef>
#include <vector>

#include "platform/key_codes.h"

namespace kestrel::platform {

struct KeyEvent {
    KeyCode key = 0;
    bool up = false;
    bool extended = false;  // on the keyboard's extended part (navigation keys)
    friend bool operator==(const KeyEvent&, const KeyEvent&) = default;
};

class Keyboard {
public:
    virtual ~Keyboard() = default;
    // Whether the user holds the key down now (or pressed it since the last look).
    virtual bool IsDown(KeyCode key) = 0;
    // Injects the events as one uninterruptible batch; returns how many went in.
    virtual std::size_t Send(const std::vector<KeyEvent>& events) = 0;
};

}  // namespace kestrel::platform
