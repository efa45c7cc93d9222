#pragma once
#include <array>
#include <cstddef>
#include <optional>
#include <vector>

#include "platform/window_id.h"

namespace kestrel {

// How each source window's recent copies went: how long each took to reach
// the clipboard from the keys typed, and whether it was there by the time the
// window's thread answered a probe sent right after the keys. A copy that
// changes nothing (only a caret, nothing selected) can only be told from a
// slow one by time or by that answer: a source known to answer in 20 ms need
// not be given half a second, and one that always copies before its thread
// answers has copied, if at all, once its thread has answered.
class CopyLatencies {
public:
    static constexpr std::size_t kCopiesKept = 8;
    static constexpr std::size_t kWindowsKept = 8;

    void Seen(platform::WindowId window, int ms, bool byAnswer = false);
    // The longest of the window's recent copies; nothing until one was seen.
    std::optional<int> Longest(platform::WindowId window) const;
    // How many of the window's copies are kept (at most kCopiesKept).
    std::size_t Kept(platform::WindowId window) const;
    // Whether every one of the window's kept copies was there by its thread's answer.
    bool AllByAnswer(platform::WindowId window) const;

private:
    struct Source {
        platform::WindowId window = 0;
        std::array<int, kCopiesKept> ms{};
        std::array<bool, kCopiesKept> byAnswer{};
        std::size_t count = 0;  // copies seen, the latest at ms[(count - 1) % kCopiesKept]
    };
    const Source* Find(platform::WindowId window) const;
    std::vector<Source> sources_;  // the most recently used first
};

}  // namespace kestrel
