#include "capture/copy_latencies.h"

#include <algorithm>
#include <charconv>

#include "platform/text_case.h"

namespace kestrel {
namespace {

bool Same(const CopySource& a, const CopySource& b) {
    if (a.program.empty() || b.program.empty()) return a.program.empty() && b.program.empty() && a.window == b.window;
    return platform::EqualsIgnoringCase(a.program, b.program) && platform::EqualsIgnoringCase(a.className, b.className);
}

// A stored text is "program|class|day|copies|check": the copies oldest first,
// each its milliseconds and "a" (there by the answer) or "l" (later); the
// check a hash of what comes before it, so that a text edited by hand or cut
// short reads as what it is.
constexpr std::size_t kMaxStoredText = 1024;
constexpr std::size_t kMaxName = 260;

std::uint32_t Check(const std::string& text) {
    std::uint32_t hash = 2166136261u;  // FNV-1a
    for (unsigned char c : text) hash = (hash ^ c) * 16777619u;
    return hash;
}

std::string Hex(std::uint32_t value) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text(8, '0');
    for (int i = 7; i >= 0; --i, value >>= 4) text[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
    return text;
}

std::vector<std::string> Split(const std::string& text, char by) {
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == by)
            parts.emplace_back();
        else
            parts.back().push_back(c);
    }
    return parts;
}

// Digits only, at most `maxDigits`, as a number.
std::optional<std::int64_t> Number(const std::string& text, std::size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits) return std::nullopt;
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
    return value;
}

}  // namespace

void CopyLatencies::Seen(const CopySource& who, int ms, bool byAnswer, std::int64_t today) {
    auto found = std::find_if(sources_.begin(), sources_.end(), [&](const Source& s) { return Same(s.who, who); });
    if (found == sources_.end()) {
        if (sources_.size() == kSourcesKept) sources_.pop_back();
        sources_.insert(sources_.begin(), Source{who, {}, {}, 0, today});
    } else {
        std::rotate(sources_.begin(), found, found + 1);
    }
    auto& source = sources_.front();
    source.ms[source.count % kCopiesKept] = std::clamp(ms, 0, kLongestCopyMs);
    source.byAnswer[source.count % kCopiesKept] = byAnswer;
    ++source.count;
    source.lastSeen = today;
    changed_ = true;
}

const CopyLatencies::Source* CopyLatencies::Find(const CopySource& who) const {
    const auto found =
        std::find_if(sources_.begin(), sources_.end(), [&](const Source& s) { return Same(s.who, who); });
    return found == sources_.end() ? nullptr : &*found;
}

std::size_t CopyLatencies::KeptOf(const Source& source) { return std::min(source.count, kCopiesKept); }

std::size_t CopyLatencies::Kept(const CopySource& who) const {
    const auto* source = Find(who);
    return source ? KeptOf(*source) : 0;
}

std::optional<int> CopyLatencies::Longest(const CopySource& who) const {
    const auto* source = Find(who);
    if (!source || source->count == 0) return std::nullopt;
    return *std::max_element(source->ms.begin(), source->ms.begin() + static_cast<std::ptrdiff_t>(KeptOf(*source)));
}

bool CopyLatencies::AllByAnswer(const CopySource& who) const {
    const auto* source = Find(who);
    if (!source) return false;
    const auto end = source->byAnswer.begin() + static_cast<std::ptrdiff_t>(KeptOf(*source));
    return std::all_of(source->byAnswer.begin(), end, [](bool b) { return b; });
}

std::vector<std::string> CopyLatencies::Stored(std::int64_t today) const {
    std::vector<std::string> texts;
    for (const auto& s : sources_) {
        const auto& who = s.who;
        if (who.program.empty() || s.count == 0 || today - s.lastSeen > kDaysKept) continue;
        const auto unfit = [](const std::string& name) {
            return name.size() > kMaxName || name.find('|') != std::string::npos;
        };
        if (unfit(who.program) || unfit(who.className)) continue;
        std::string text = who.program + "|" + who.className + "|" + std::to_string(s.lastSeen) + "|";
        const auto kept = KeptOf(s);
        for (std::size_t i = 0; i < kept; ++i) {
            const auto at = (s.count - kept + i) % kCopiesKept;
            text += (i ? "," : "") + std::to_string(s.ms[at]) + (s.byAnswer[at] ? "a" : "l");
        }
        texts.push_back(text + "|" + Hex(Check(text)));
    }
    return texts;
}

void CopyLatencies::Restore(const std::vector<std::string>& texts, std::int64_t today,
                            std::vector<std::string>& ignored) {
    sources_.clear();
    changed_ = false;
    for (std::size_t place = 1; place <= texts.size(); ++place) {
        const auto& text = texts[place - 1];
        if (text.empty()) continue;
        const auto why = [&]() -> std::string {
            if (text.size() > kMaxStoredText) return "too long";
            const auto parts = Split(text, '|');
            if (parts.size() != 5) return "not as Kestrel writes it";
            const auto checked = text.substr(0, text.size() - parts[4].size() - 1);
            if (parts[4] != Hex(Check(checked))) return "changed since Kestrel wrote it";
            Source s;
            s.who = {parts[0], parts[1], 0};
            const auto day = Number(parts[2], 9);
            if (s.who.program.empty() || s.who.program.size() > kMaxName || s.who.className.size() > kMaxName || !day)
                return "not as Kestrel writes it";
            if (*day > today) return "dated after today";
            if (today - *day > kDaysKept) return "not seen for more than " + std::to_string(kDaysKept) + " days";
            const auto copies = Split(parts[3], ',');
            if (copies.size() > kCopiesKept) return "not as Kestrel writes it";
            for (const auto& copy : copies) {
                const char kind = copy.empty() ? '\0' : copy.back();
                const auto ms = Number(copy.substr(0, copy.size() - (copy.empty() ? 0 : 1)), 5);
                if ((kind != 'a' && kind != 'l') || !ms || *ms > kLongestCopyMs) return "not as Kestrel writes it";
                s.ms[s.count] = static_cast<int>(*ms);
                s.byAnswer[s.count] = kind == 'a';
                ++s.count;
            }
            if (Find(s.who)) return "a second entry for the same program";
            if (sources_.size() == kSourcesKept) return "beyond the " + std::to_string(kSourcesKept) + " kept";
            s.lastSeen = *day;
            sources_.push_back(s);
            return {};
        }();
        if (!why.empty()) ignored.push_back(std::to_string(place) + ": " + why);
    }
}

}  // namespace kestrel
