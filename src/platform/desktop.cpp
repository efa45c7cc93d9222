#include "platform/desktop.h"

#include <cctype>

namespace kestrel::platform {
namespace {

bool EqualsNoCase(const std::string& a, const std::string& b, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

WindowId ChooseWindowByTitle(const std::vector<WindowCandidate>& windows, const std::string& title) {
    WindowId prefixMatch = 0;
    for (const auto& w : windows) {
        if (!w.visible || w.ownProcess || w.title.size() < title.size()) continue;
        if (!EqualsNoCase(w.title, title, title.size())) continue;
        if (w.title.size() == title.size()) return w.id;
        if (!prefixMatch) prefixMatch = w.id;
    }
    return prefixMatch;
}

}  // namespace kestrel::platform
