#include <algorithm>
#include <cctype>

#include "platform/platform.h"

namespace kestrel::platform {
namespace {

Services g_services;

bool EqualsNoCase(const std::string& a, const std::string& b, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

Services& Current() { return g_services; }
void Install(const Services& services) { g_services = services; }

ScopedServices::ScopedServices(const Services& services) : previous_(g_services) { g_services = services; }
ScopedServices::~ScopedServices() { g_services = previous_; }

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
