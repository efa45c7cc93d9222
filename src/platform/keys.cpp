#include "platform/keys.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace kestrel::platform {
namespace {

struct NamedKey {
    std::uint16_t vk;
    bool extended;
};

// Navigation keys sit on the extended part of the keyboard; without the flag
// NumLock turns them into keypad digits.
const std::map<std::string, NamedKey>& NamedKeys() {
    static const std::map<std::string, NamedKey> keys = [] {
        std::map<std::string, NamedKey> k = {
            {"backspace", {0x08, false}}, {"bs", {0x08, false}},     {"tab", {0x09, false}},
            {"enter", {0x0D, false}},     {"esc", {0x1B, false}},    {"escape", {0x1B, false}},
            {"pgup", {0x21, true}},       {"pgdn", {0x22, true}},    {"end", {0x23, true}},
            {"home", {0x24, true}},       {"left", {0x25, true}},    {"up", {0x26, true}},
            {"right", {0x27, true}},      {"down", {0x28, true}},    {"insert", {0x2D, true}},
            {"ins", {0x2D, true}},        {"delete", {0x2E, true}},  {"del", {0x2E, true}},
        };
        for (int n = 1; n <= 24; ++n)
            k["f" + std::to_string(n)] = {static_cast<std::uint16_t>(0x6F + n), false};
        return k;
    }();
    return keys;
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

}  // namespace

std::vector<Chord> ParseKeys(const std::string& keys) {
    std::vector<Chord> chords;
    std::vector<std::uint16_t> held;  // modifiers waiting for their key
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const char c = keys[i];
        std::uint16_t modifier = c == '^' ? kVkControl : c == '+' ? kVkShift : c == '%' ? kVkMenu : 0;
        if (modifier) {
            if (std::find(held.begin(), held.end(), modifier) == held.end()) held.push_back(modifier);
            continue;
        }
        NamedKey key{};
        if (c == '{') {
            const auto close = keys.find('}', i + 1);
            if (close == std::string::npos) throw Error("keystrokes \"" + keys + "\": missing }");
            const auto name = Lower(keys.substr(i + 1, close - i - 1));
            const auto found = NamedKeys().find(name);
            if (found == NamedKeys().end())
                throw Error("keystrokes \"" + keys + "\": unknown key {" + name + "}");
            key = found->second;
            i = close;
        } else if (std::isalpha(static_cast<unsigned char>(c))) {
            key = {static_cast<std::uint16_t>(std::toupper(static_cast<unsigned char>(c))), false};
            // An upper-case letter is typed with Shift, as a person would.
            if (std::isupper(static_cast<unsigned char>(c)) &&
                std::find(held.begin(), held.end(), kVkShift) == held.end())
                held.push_back(kVkShift);
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            key = {static_cast<std::uint16_t>(c), false};
        } else if (c == ' ') {
            key = {0x20, false};
        } else if (c == '~') {
            key = {0x0D, false};
        } else {
            throw Error("keystrokes \"" + keys + "\": cannot type '" + std::string(1, c) + "'");
        }
        Chord chord;
        for (auto m : held) chord.push_back({m, false, false});
        chord.push_back({key.vk, false, key.extended});
        chord.push_back({key.vk, true, key.extended});
        for (auto m = held.rbegin(); m != held.rend(); ++m) chord.push_back({*m, true, false});
        chords.push_back(std::move(chord));
        held.clear();
    }
    if (!held.empty()) throw Error("keystrokes \"" + keys + "\": a modifier has no key after it");
    return chords;
}

void SendKeys(const std::string& keys) {
    for (const auto& chord : ParseKeys(keys)) {
        const auto sent = Current().keyboard->SendInput(chord);
        if (sent != chord.size())
            throw Error("only " + std::to_string(sent) + " of " + std::to_string(chord.size()) +
                        " key events of \"" + keys + "\" could be injected");
    }
}

}  // namespace kestrel::platform
