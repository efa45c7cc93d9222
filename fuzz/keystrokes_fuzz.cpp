// The keystroke syntax. The input is the keystroke text itself.

#include <algorithm>
#include <cctype>
#include <utility>

#include "check.h"
#include "platform/error.h"
#include "platform/keystrokes.h"

namespace kestrel::fuzz {
namespace {

using platform::Chord;
using platform::KeyCode;
using platform::KeyEvent;

bool IsModifier(KeyCode key) {
    return key == platform::kKeyControl || key == platform::kKeyShift || key == platform::kKeyAlt;
}

// Modifiers down, the key down and up, the modifiers up in reverse: a chord
// that leaves no key held whatever the system does with it.
void CheckBalanced(const Chord& chord) {
    FUZZ_CHECK(chord.size() >= 2 && chord.size() % 2 == 0);
    const auto held = chord.size() / 2 - 1;
    for (std::size_t i = 0; i < held; ++i) {
        FUZZ_CHECK(IsModifier(chord[i].key) && !chord[i].up && !chord[i].extended);
        FUZZ_CHECK(std::none_of(chord.begin(), chord.begin() + static_cast<std::ptrdiff_t>(i),
                                [&](const KeyEvent& e) { return e.key == chord[i].key; }));
    }
    const auto& down = chord[held];
    const auto& up = chord[held + 1];
    FUZZ_CHECK(down.key != 0 && !IsModifier(down.key) && !down.up);
    FUZZ_CHECK(up.key == down.key && up.up && up.extended == down.extended);
    for (std::size_t i = 0; i < held; ++i)
        FUZZ_CHECK((chord[held + 2 + i] == KeyEvent{chord[held - 1 - i].key, true, false}));
}

// The syntax's name for a key, written apart from the parser's table.
std::string KeyText(const KeyEvent& e) {
    using namespace platform;
    if (!e.extended) {
        if (e.key >= 'A' && e.key <= 'Z') return std::string(1, static_cast<char>(e.key - 'A' + 'a'));
        if (e.key >= '0' && e.key <= '9') return std::string(1, static_cast<char>(e.key));
        if (e.key == kKeySpace) return " ";
        if (e.key >= kKeyF1 && e.key <= kKeyF24) return "{F" + std::to_string(e.key - kKeyF1 + 1) + "}";
    }
    const std::pair<KeyEvent, const char*> named[] = {
        {{kKeyBackspace, false, false}, "{BS}"}, {{kKeyTab, false, false}, "{Tab}"},
        {{kKeyEnter, false, false}, "~"},        {{kKeyEscape, false, false}, "{Esc}"},
        {{kKeyPageUp, false, true}, "{PgUp}"},   {{kKeyPageDown, false, true}, "{PgDn}"},
        {{kKeyEnd, false, true}, "{End}"},       {{kKeyHome, false, true}, "{Home}"},
        {{kKeyLeft, false, true}, "{Left}"},     {{kKeyUp, false, true}, "{Up}"},
        {{kKeyRight, false, true}, "{Right}"},   {{kKeyDown, false, true}, "{Down}"},
        {{kKeyInsert, false, true}, "{Ins}"},    {{kKeyDelete, false, true}, "{Del}"},
    };
    for (const auto& [key, name] : named)
        if (key == KeyEvent{e.key, false, e.extended}) return name;
    Fail("a key the syntax has no name for", __FILE__, __LINE__);
}

std::string Format(const std::vector<Chord>& chords) {
    std::string text;
    for (const auto& chord : chords) {
        const auto held = chord.size() / 2 - 1;
        for (std::size_t i = 0; i < held; ++i)
            text += chord[i].key == platform::kKeyControl ? '^' : chord[i].key == platform::kKeyShift ? '+' : '%';
        text += KeyText(chord[held]);
    }
    return text;
}

// Takes every chord whole but one, which it cuts short.
class Keyboard : public platform::Keyboard {
public:
    explicit Keyboard(std::size_t refused) : refused_(refused) {}
    std::vector<Chord> sent;

    bool IsDown(KeyCode) override { return false; }
    std::size_t Send(const std::vector<KeyEvent>& events) override {
        sent.push_back(events);
        return sent.size() - 1 == refused_ ? events.size() - 1 : events.size();
    }

private:
    std::size_t refused_;
};

}  // namespace
}  // namespace kestrel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    using namespace kestrel;
    using namespace kestrel::fuzz;
    const std::string keys(reinterpret_cast<const char*>(bytes), size);

    std::vector<Chord> chords;
    try {
        chords = platform::ParseKeystrokes(keys);
    } catch (const Error& e) {
        // The message quotes the text (up to a NUL, where an exception's text ends).
        FUZZ_CHECK(std::string(e.what()).find(keys.substr(0, keys.find('\0'))) != std::string::npos);
        return 0;
    }
    FUZZ_CHECK(chords.size() <= keys.size());
    for (const auto& chord : chords) CheckBalanced(chord);
    FUZZ_CHECK(platform::ParseKeystrokes(Format(chords)) == chords);
    // A complete text leaves nothing pending: the same text twice is its chords twice.
    auto twice = chords;
    twice.insert(twice.end(), chords.begin(), chords.end());
    FUZZ_CHECK(platform::ParseKeystrokes(keys + keys) == twice);

    // Typing stops at the first chord the system cuts short, and says so.
    const auto refused = chords.empty() ? 0 : size % (chords.size() + 1);
    Keyboard keyboard(refused);
    bool failed = false;
    try {
        platform::TypeKeystrokes(keyboard, keys);
    } catch (const Error&) {
        failed = true;
    }
    FUZZ_CHECK(failed == (refused < chords.size()));
    FUZZ_CHECK(std::equal(keyboard.sent.begin(), keyboard.sent.end(), chords.begin(),
                          chords.begin() + static_cast<std::ptrdiff_t>(std::min(chords.size(), refused + 1))));
    FUZZ_CHECK(keyboard.sent.size() == std::min(chords.size(), refused + 1));
    return 0;
}
