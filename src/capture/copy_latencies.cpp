#include "capture/copy_latencies.h"

#include <algorithm>

namespace kestrel {

void CopyLatencies::Seen(platform::WindowId window, int ms, bool byAnswer) {
    auto found = std::find_if(sources_.begin(), sources_.end(), [&](const Source& s) { return s.window == window; });
    if (found == sources_.end()) {
        if (sources_.size() == kWindowsKept) sources_.pop_back();
        sources_.insert(sources_.begin(), Source{window, {}, {}, 0});
        found = sources_.begin();
    } else {
        std::rotate(sources_.begin(), found, found + 1);
        found = sources_.begin();
    }
    found->ms[found->count % kCopiesKept] = std::max(ms, 0);
    found->byAnswer[found->count % kCopiesKept] = byAnswer;
    ++found->count;
}

const CopyLatencies::Source* CopyLatencies::Find(platform::WindowId window) const {
    const auto found =
        std::find_if(sources_.begin(), sources_.end(), [&](const Source& s) { return s.window == window; });
    return found == sources_.end() ? nullptr : &*found;
}

std::size_t CopyLatencies::Kept(platform::WindowId window) const {
    const auto* source = Find(window);
    return source ? std::min(source->count, kCopiesKept) : 0;
}

std::optional<int> CopyLatencies::Longest(platform::WindowId window) const {
    const auto* source = Find(window);
    if (!source) return std::nullopt;
    return *std::max_element(source->ms.begin(), source->ms.begin() + static_cast<std::ptrdiff_t>(Kept(window)));
}

bool CopyLatencies::AllByAnswer(platform::WindowId window) const {
    const auto* source = Find(window);
    if (!source) return false;
    const auto end = source->byAnswer.begin() + static_cast<std::ptrdiff_t>(Kept(window));
    return std::all_of(source->byAnswer.begin(), end, [](bool b) { return b; });
}

}  // namespace kestrel
