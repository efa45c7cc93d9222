#include "capture/value_from.h"

#include <climits>

#include "platform/error.h"
#include "platform/text_case.h"

namespace kestrel {
namespace {

constexpr const char* kForms = "selection, title, control #<id> or control <class> <n>";

bool Space(char c) { return c == ' ' || c == '\t'; }

std::string Trimmed(const std::string& text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && Space(text[begin])) ++begin;
    while (end > begin && Space(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

// A decimal number of 0 to INT_MAX, or -1 when `digits` is none.
long long Decimal(const std::string& digits) {
    if (digits.empty()) return -1;
    long long n = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return -1;
        n = n * 10 + (c - '0');
        if (n > INT_MAX) return static_cast<long long>(INT_MAX) + 1;
    }
    return n;
}

}  // namespace

ValueFrom ParseValueFrom(const std::string& text) {
    ValueFrom v;
    v.written = Trimmed(text);
    const auto& t = v.written;
    if (t.empty() || platform::EqualsIgnoringCase(t, "selection")) return v;
    if (platform::EqualsIgnoringCase(t, "title")) {
        v.place = ValueFrom::Place::Title;
        return v;
    }
    const std::string word = "control";
    const bool control = t.size() >= word.size() && platform::EqualsIgnoringCase(t.substr(0, word.size()), word) &&
                         (t.size() == word.size() || Space(t[word.size()]) || t[word.size()] == '#');
    if (!control) throw Error("\"" + t + "\" is none of " + kForms);
    const auto rest = Trimmed(t.substr(word.size()));
    if (rest.empty()) throw Error("control needs #<id> or a class and a number after it");
    if (rest[0] == '#') {
        const auto digits = Trimmed(rest.substr(1));
        const auto id = Decimal(digits);
        if (digits.empty()) throw Error("control # needs the control ID after it");
        if (id < 0) throw Error("the control ID \"" + digits + "\" is no decimal number");
        if (id > INT_MAX) throw Error("the control ID " + digits + " is too large");
        v.place = ValueFrom::Place::ControlId;
        v.id = static_cast<int>(id);
        return v;
    }
    std::size_t last = rest.size();
    while (last > 0 && !Space(rest[last - 1])) --last;
    if (last == 0) throw Error("control " + rest + " needs the number of the control after the class");
    const auto digits = rest.substr(last);
    const auto n = Decimal(digits);
    if (n < 0) throw Error("control " + rest + " does not end in the number of the control");
    if (n == 0) throw Error("the number after the class counts from 1, not 0");
    if (n > INT_MAX) throw Error("the number " + digits + " is too large");
    v.place = ValueFrom::Place::ControlClass;
    v.className = Trimmed(rest.substr(0, last));
    v.number = static_cast<int>(n);
    return v;
}

}  // namespace kestrel
