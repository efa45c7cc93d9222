#include "capture/copy_latencies.h"

#include <algorithm>

namespace kestrel {

void CopyLatencies::Seen(platform::WindowId window, int ms) {
    auto found = std::find_if(sources_.begin(), sources_.end(), [&](const Source& s) { return s.window == window; });
    if (found == sources_.end()) {
        if (sources_.size() == kWindowsKept) sources_.pop_back();
        sources_.insert(sources_.begin(), Source{window, {}, 0});
        found = sources_.begin();
    } else {
        std::rotate(sources_.begin(), found, found + 1);
        found = sources_.begin();
    }
    found->ms[found->count % kCopiesKept] = std::max(ms, 0);
    ++found->count;
}

std::optional<int> CopyLatencies::Longest(platform::WindowId window) const {
    const auto found =
        std::find_if(sources_.begin(), sources_.end(), [&](const Source& s) { return s.window == window; });
    if (found == sources_.end()) return std::nullopt;
    const auto kept = std::min(found->count, kCopiesKept);
    return *std::max_element(found->ms.begin(), found->ms.begin() + static_cast<std::ptrdiff_t>(kept));
}

}  // namespace kestrel
