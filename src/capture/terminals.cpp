#include "capture/terminals.h"

namespace kestrel {
namespace {

constexpr Terminal kTerminals[] = {
    {"CASCADIA_HOSTING_WINDOW_CLASS", "Windows Terminal", "^+c"},
    {"mintty", "mintty", "^{insert}"},
    {"PuTTY", "PuTTY", nullptr},
    {"KiTTY", "KiTTY", nullptr},
};

}  // namespace

const Terminal* FindTerminal(const std::string& className) {
    for (const auto& t : kTerminals)
        if (className == t.className) return &t;
    return nullptr;
}

}  // namespace kestrel
