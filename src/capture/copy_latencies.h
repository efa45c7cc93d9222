#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/window_id.h"

namespace kestrel {

// Whose copies: a source window's program file name and window class. What
// a program's windows of one class have shown holds for each of them, a new
// one included (most programs open a window per record). A window whose
// program could not be named is its own source, for this run only.
struct CopySource {
    std::string program;
    std::string className;
    platform::WindowId window = 0;
};

// How each source's recent copies went: how long each took to reach the
// clipboard from the keys typed, and whether it was there by the time the
// window's thread answered a probe sent right after the keys. A copy that
// changes nothing (only a caret, nothing selected) can only be told from a
// slow one by time or by that answer: a source known to answer in 20 ms need
// not be given half a second, and one that always copies before its thread
// answers has copied, if at all, once its thread has answered.
// Kept across starts in the store (see Stored and Restore), so that the
// first press of the day is served as well as the rest.
class CopyLatencies {
public:
    static constexpr std::size_t kCopiesKept = 8;
    static constexpr std::size_t kSourcesKept = 32;
    // A program not seen for this many days is forgotten.
    static constexpr std::int64_t kDaysKept = 30;
    // No copy is waited for longer than this, so no longer one is believed.
    static constexpr int kLongestCopyMs = 10000;

    // `today`: the day of the copy, as days since 1970-01-01.
    void Seen(const CopySource& source, int ms, bool byAnswer, std::int64_t today);
    // The longest of the source's recent copies; nothing until one was seen.
    std::optional<int> Longest(const CopySource& source) const;
    // How many of the source's copies are kept (at most kCopiesKept).
    std::size_t Kept(const CopySource& source) const;
    // Whether every one of the source's kept copies was there by its thread's answer.
    bool AllByAnswer(const CopySource& source) const;

    // The named programs' copies as the store keeps them, one text each,
    // the most recently seen first; those older than kDaysKept are left out.
    std::vector<std::string> Stored(std::int64_t today) const;
    // What an earlier start stored, in place of what is known. A text that
    // does not read as Stored writes it (hand-edited, cut, from another
    // version), or is older than kDaysKept or dated after `today`, is left
    // out, and why goes to `ignored` (its place, 1-based, and the reason).
    void Restore(const std::vector<std::string>& texts, std::int64_t today, std::vector<std::string>& ignored);
    // Whether anything was seen since the last Restore or MarkStored.
    bool Changed() const { return changed_; }
    void MarkStored() { changed_ = false; }

private:
    struct Source {
        CopySource who;
        std::array<int, kCopiesKept> ms{};
        std::array<bool, kCopiesKept> byAnswer{};
        std::size_t count = 0;  // copies seen, the latest at ms[(count - 1) % kCopiesKept]
        std::int64_t lastSeen = 0;
    };
    const Source* Find(const CopySource& who) const;
    static std::size_t KeptOf(const Source& source);
    std::vector<Source> sources_;  // the most recently used first
    bool changed_ = false;
};

}  // namespace kestrel
