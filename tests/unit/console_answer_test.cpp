#include <gtest/gtest.h>

#include <string>

#include "platform/console_answer.h"

namespace kestrel::platform {
namespace {

using Kind = ConsoleText::Kind;

// Four bytes, least significant first, as the answer spells its numbers.
std::string Number(std::uint32_t n) {
    return {static_cast<char>(n), static_cast<char>(n >> 8), static_cast<char>(n >> 16), static_cast<char>(n >> 24)};
}

TEST(ConsoleAnswer, ATextCrossesWholeAndAnyPartOfItIsNoAnswer) {
    const ConsoleText texts[] = {{Kind::Selection, {"Account", "", std::string("100234 \xc3\xa9\0", 10)}},
                                 {Kind::CursorLine, {"100234   "}},
                                 {Kind::Unreadable, {}},
                                 {Kind::NotAConsole, {}}};
    for (const auto& text : texts) {
        const auto answer = EncodeConsoleAnswer(text);
        const auto body = answer.substr(kConsoleAnswerLengthBytes);
        EXPECT_EQ(ConsoleAnswerLength(answer.substr(0, kConsoleAnswerLengthBytes)), body.size());
        const auto back = DecodeConsoleAnswer(body);
        ASSERT_TRUE(back);
        EXPECT_EQ(back->kind, text.kind);
        EXPECT_EQ(back->rows, text.rows);
        for (std::size_t cut = 0; cut < body.size(); ++cut) EXPECT_FALSE(DecodeConsoleAnswer(body.substr(0, cut))) << cut;
        EXPECT_FALSE(DecodeConsoleAnswer(body + '\0'));
    }
    // A text past the bound goes as what it is to the program: unreadable.
    const auto huge = EncodeConsoleAnswer({Kind::Selection, {std::string(kConsoleAnswerMax, 'x')}});
    EXPECT_EQ(DecodeConsoleAnswer(huge.substr(kConsoleAnswerLengthBytes))->kind, Kind::Unreadable);
}

TEST(ConsoleAnswer, WhatNoReaderSendsIsNoAnswer) {
    const std::string bodies[] = {
        "\x04" + Number(0),                                      // no such kind
        "\x01" + Number(0),                                      // a selection without rows
        "\x02" + Number(2) + Number(1) + "a" + Number(1) + "b",  // a cursor's line of two rows
        "\x03" + Number(1) + Number(1) + "a",                    // rows beside "unreadable"
        "\x02" + Number(1) + Number(0xFFFFFFFF) + "100234",      // a row longer than the answer
        "\x01" + Number(0xFFFFFFFF) + Number(1) + "a",           // more rows than there are
    };
    for (const auto& body : bodies) EXPECT_FALSE(DecodeConsoleAnswer(body)) << testing::PrintToString(body);
    for (const std::string& length : {Number(0), Number(kConsoleAnswerMax + 1), Number(0xFFFFFFFF), std::string("\x05\0\0", 3)})
        EXPECT_FALSE(ConsoleAnswerLength(length)) << testing::PrintToString(length);
}

}  // namespace
}  // namespace kestrel::platform
