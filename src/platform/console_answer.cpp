#include "platform/console_answer.h"

#include <cstdint>

namespace kestrel::platform {
namespace {

using Kind = ConsoleText::Kind;

void PutNumber(std::string& out, std::uint32_t n) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((n >> (8 * i)) & 0xFF);
}

// Takes a number off the front of `in`; nothing when fewer than four bytes are left.
std::optional<std::uint32_t> TakeNumber(std::string_view& in) {
    if (in.size() < 4) return std::nullopt;
    std::uint32_t n = 0;
    for (int i = 0; i < 4; ++i) n |= std::uint32_t{static_cast<unsigned char>(in[i])} << (8 * i);
    in.remove_prefix(4);
    return n;
}

}  // namespace

std::string EncodeConsoleAnswer(const ConsoleText& text) {
    std::string body(1, static_cast<char>(text.kind));
    PutNumber(body, static_cast<std::uint32_t>(text.rows.size()));
    for (const auto& row : text.rows) {
        PutNumber(body, static_cast<std::uint32_t>(row.size()));
        body += row;
    }
    if (body.size() > kConsoleAnswerMax) return EncodeConsoleAnswer({Kind::Unreadable, {}});
    std::string answer;
    PutNumber(answer, static_cast<std::uint32_t>(body.size()));
    return answer + body;
}

std::optional<std::size_t> ConsoleAnswerLength(std::string_view lengthBytes) {
    const auto n = TakeNumber(lengthBytes);
    if (!n || !lengthBytes.empty() || *n == 0 || *n > kConsoleAnswerMax) return std::nullopt;
    return *n;
}

std::optional<ConsoleText> DecodeConsoleAnswer(std::string_view body) {
    if (body.empty() || static_cast<unsigned char>(body[0]) > static_cast<unsigned char>(Kind::Unreadable))
        return std::nullopt;
    ConsoleText text{static_cast<Kind>(body[0]), {}};
    body.remove_prefix(1);
    const auto rows = TakeNumber(body);
    if (!rows) return std::nullopt;
    // Rows come only with a text, and a cursor's line is one row.
    const bool hasText = text.kind == Kind::Selection || text.kind == Kind::CursorLine;
    if (hasText != (*rows > 0) || (text.kind == Kind::CursorLine && *rows != 1)) return std::nullopt;
    for (std::uint32_t i = 0; i < *rows; ++i) {
        const auto length = TakeNumber(body);
        if (!length || *length > body.size()) return std::nullopt;
        text.rows.emplace_back(body.substr(0, *length));
        body.remove_prefix(*length);
    }
    if (!body.empty()) return std::nullopt;
    return text;
}

}  // namespace kestrel::platform
