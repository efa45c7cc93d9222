#pragma once
#include <optional>
#include <string>

namespace kestrel {

// What the Sources dialog asks of the value pattern engine.

// What is wrong with a value pattern, in words for the user; "" when it is
// fine (an empty pattern is: the whole captured text is the value).
std::string PatternProblem(const std::string& pattern);

// The value the pattern picks out of a sample line; nothing when it finds
// none or only an empty one.
std::optional<std::string> ValueFromSample(const std::string& pattern, const std::string& sample);

}  // namespace kestrel
