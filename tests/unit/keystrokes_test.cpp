#include <gtest/gtest.h>

#include "fake/fake_fixture.h"
#include "platform/desktop.h"
#include "platform/error.h"
#include "platform/keystrokes.h"

namespace kestrel {
namespace {

using platform::Chord;
using platform::KeyEvent;
using platform::ParseKeystrokes;

KeyEvent Down(platform::KeyCode key, bool ext = false) { return {key, false, ext}; }
KeyEvent Up(platform::KeyCode key, bool ext = false) { return {key, true, ext}; }

struct ParseRow {
    const char* keys;
    std::vector<Chord> chords;
};

TEST(ParseKeystrokes, TurnsTheSyntaxIntoChordsOfKeyCodes) {
    const ParseRow rows[] = {
        {"^c", {{Down(0x11), Down(0x43), Up(0x43), Up(0x11)}}},
        {"{home}+{end}^c",
         {{Down(0x24, true), Up(0x24, true)},
          {Down(0x10), Down(0x23, true), Up(0x23, true), Up(0x10)},
          {Down(0x11), Down(0x43), Up(0x43), Up(0x11)}}},
        {"%{F4}", {{Down(0x12), Down(0x73), Up(0x73), Up(0x12)}}},
        {"^+{HOME}", {{Down(0x11), Down(0x10), Down(0x24, true), Up(0x24, true), Up(0x10), Up(0x11)}}},
        {"A", {{Down(0x10), Down(0x41), Up(0x41), Up(0x10)}}},
        {"7 ~", {{Down(0x37), Up(0x37)}, {Down(0x20), Up(0x20)}, {Down(0x0D), Up(0x0D)}}},
        {"{del}{F24}", {{Down(0x2E, true), Up(0x2E, true)}, {Down(0x87), Up(0x87)}}},
        {"{f1}{F10}", {{Down(0x70), Up(0x70)}, {Down(0x79), Up(0x79)}}},
        {"", {}},
    };
    for (const auto& row : rows) EXPECT_EQ(ParseKeystrokes(row.keys), row.chords) << row.keys;
}

TEST(ParseKeystrokes, RefusesWhatItCannotType) {
    for (const char* bad : {"{home", "{nosuchkey}", "^", "c+", "é", "#", "{f0}", "{f25}", "{f01}", "{f}", "{f1x}"})
        EXPECT_THROW(ParseKeystrokes(bad), Error) << bad;
}

class TypeKeystrokesTest : public fake::FakeTest {};

TEST_F(TypeKeystrokesTest, SendsEachChordAsOneBatch) {
    platform::TypeKeystrokes(desk, "{home}+{end}^c");
    EXPECT_EQ(desk.chords, ParseKeystrokes("{home}+{end}^c"));
}

TEST_F(TypeKeystrokesTest, ABatchTheSystemTookOnlyPartlyIsAnError) {
    desk.injectLimit = 2;
    EXPECT_THROW(platform::TypeKeystrokes(desk, "^c"), Error);
    EXPECT_EQ(desk.chords.size(), 1u) << "nothing is sent after the short batch";
}

}  // namespace
}  // namespace kestrel
