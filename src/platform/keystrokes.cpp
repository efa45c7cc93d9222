#include "platform/keystrokes.h"

#include "platform/error.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <string_view>

namespace kestrel::platform {
namespace {

struct NamedKey {
    KeyCode key;
    bool extended;
};

struct KeyName {
    std::string_view name;
    NamedKey key;
};

// Navigation keys sit on the extended part of the keyboard; without the flag
// NumLock turns them into keypad digits.
constexpr KeyName kKeyNames[] = {
    {"backspace", {kKeyBackspace, false}}, {"bs", {kKeyBackspace, false}},
    {"tab", {kKeyTab, false}},             {"enter", {kKeyEnter, false}},
    {"esc", {kKeyEscape, false}},          {"escape", {kKeyEscape, false}},
    {"pgup", {kKeyPageUp, true}},          {"pgdn", {kKeyPageDown, true}},
    {"end", {kKeyEnd, true}},              {"home", {kKeyHome, true}},
    {"left", {kKeyLeft, true}},            {"up", {kKeyUp, true}},
    {"right", {kKeyRight, true}},          {"down", {kKeyDown, true}},
    {"insert", {kKeyInsert, true}},        {"ins", {kKeyInsert, true}},
    {"delete", {kKeyDelete, true}},        {"del", {kKeyDelete, true}},
};

// The key a lower-case name in braces stands for: those above and f1 to f24.
std::optional<NamedKey> FindNamedKey(std::string_view name) {
    for (const auto& k : kKeyNames)
        if (k.name == name) return k.key;
    if (name.size() < 2 || name.size() > 3 || name[0] != 'f' || name[1] == '0') return std::nullopt;
    int n = 0;
    for (const char c : name.substr(1)) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + (c - '0');
    }
    if (n > 24) return std::nullopt;
    return NamedKey{static_cast<KeyCode>(kKeyF1 + n - 1), false};
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

}  // namespace

std::vector<Chord> ParseKeystrokes(const std::string& keys) {
    std::vector<Chord> chords;
    std::vector<KeyCode> held;  // modifiers waiting for their key
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const char c = keys[i];
        KeyCode modifier = c == '^' ? kKeyControl : c == '+' ? kKeyShift : c == '%' ? kKeyAlt : 0;
        if (modifier) {
            if (std::find(held.begin(), held.end(), modifier) == held.end()) held.push_back(modifier);
            continue;
        }
        NamedKey key{};
        if (c == '{') {
            const auto close = keys.find('}', i + 1);
            if (close == std::string::npos) throw Error("keystrokes \"" + keys + "\": missing }");
            const auto name = Lower(keys.substr(i + 1, close - i - 1));
            const auto found = FindNamedKey(name);
            if (!found) throw Error("keystrokes \"" + keys + "\": unknown key {" + name + "}");
            key = *found;
            i = close;
        } else if (std::isalpha(static_cast<unsigned char>(c))) {
            key = {static_cast<KeyCode>(std::toupper(static_cast<unsigned char>(c))), false};
            // An upper-case letter is typed with Shift, as a person would.
            if (std::isupper(static_cast<unsigned char>(c)) &&
                std::find(held.begin(), held.end(), kKeyShift) == held.end())
                held.push_back(kKeyShift);
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            key = {static_cast<KeyCode>(c), false};
        } else if (c == ' ') {
            key = {kKeySpace, false};
        } else if (c == '~') {
            key = {kKeyEnter, false};
        } else {
            throw Error("keystrokes \"" + keys + "\": cannot type '" + std::string(1, c) + "'");
        }
        Chord chord;
        for (auto m : held) chord.push_back({m, false, false});
        chord.push_back({key.key, false, key.extended});
        chord.push_back({key.key, true, key.extended});
        for (auto m = held.rbegin(); m != held.rend(); ++m) chord.push_back({*m, true, false});
        chords.push_back(std::move(chord));
        held.clear();
    }
    if (!held.empty()) throw Error("keystrokes \"" + keys + "\": a modifier has no key after it");
    return chords;
}

void TypeKeystrokes(Keyboard& keyboard, const std::string& keys) {
    for (const auto& chord : ParseKeystrokes(keys)) {
        const auto sent = keyboard.Send(chord);
        if (sent != chord.size())
            throw Error("only " + std::to_string(sent) + " of " + std::to_string(chord.size()) +
                        " key events of \"" + keys + "\" could be injected");
    }
}

}  // namespace kestrel::platform
