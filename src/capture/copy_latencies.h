#pragma once
#include <array>
#include <cstddef>
#include <optional>
#include <vector>

#include "platform/window_id.h"

namespace kestrel {

// How long each source window's recent copies took to reach the clipboard,
// from the keys typed to the clipboard changing. A copy that changes nothing
// (only a caret, nothing selected) can only be told from a slow one by time:
// a source known to answer in 20 ms need not be given half a second.
class CopyLatencies {
public:
    static constexpr std::size_t kCopiesKept = 8;
    static constexpr std::size_t kWindowsKept = 8;

    void Seen(platform::WindowId window, int ms);
    // The longest of the window's recent copies; nothing until one was seen.
    std::optional<int> Longest(platform::WindowId window) const;

private:
    struct Source {
        platform::WindowId window = 0;
        std::array<int, kCopiesKept> ms{};
        std::size_t count = 0;  // copies seen, the latest at ms[(count - 1) % kCopiesKept]
    };
    std::vector<Source> sources_;  // the most recently used first
};

}  // namespace kestrel
