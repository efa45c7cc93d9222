#include "settings/pattern_check.h"

#include "capture/value_pattern.h"
#include "platform/error.h"

namespace kestrel {

std::string PatternProblem(const std::string& pattern) {
    if (pattern.empty()) return {};
    try {
        const ValuePattern compiled(pattern);
        return {};
    } catch (const Error& e) {
        return e.what();
    }
}

std::optional<std::string> ValueFromSample(const std::string& pattern, const std::string& sample) {
    if (pattern.empty()) return sample;
    try {
        auto value = ValuePattern(pattern).Find(sample);
        if (value && value->empty()) return std::nullopt;  // as a press: an empty match is no value
        return value;
    } catch (const Error&) {
        return std::nullopt;
    }
}

}  // namespace kestrel
