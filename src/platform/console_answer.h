#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/consoles.h"

namespace kestrel::platform {

// A console's text as the process that reads consoles hands it over: four
// bytes of length, then the kind and the rows, each row with its length in
// front. The reading process may die or lie halfway, so what comes back is
// taken only when it is whole and exact.
inline constexpr std::size_t kConsoleAnswerLengthBytes = 4;
// More than a full buffer's selection takes (its rows are at most 32,767
// characters): anything longer is no answer.
inline constexpr std::size_t kConsoleAnswerMax = std::size_t{4} << 20;

std::string EncodeConsoleAnswer(const ConsoleText& text);
// The length that an answer's first four bytes announce, when within bounds.
std::optional<std::size_t> ConsoleAnswerLength(std::string_view lengthBytes);
// The text the rest holds, or nothing when it is not one well-formed answer.
std::optional<ConsoleText> DecodeConsoleAnswer(std::string_view body);

}  // namespace kestrel::platform
