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

struct ChooseRow {
    const char* title;
    platform::WindowId expected;
};

TEST(ChooseWindowByTitle, PrefersAnExactTitleAndSkipsHiddenAndOwnWindows) {
    const std::vector<platform::WindowCandidate> windows = {
        {1, "Orders - Customer 42", true, false},
        {2, "Orders", false, false},          // hidden
        {3, "Orders list", true, true},       // this program's own
        {4, "orders", true, false},
        {5, "Invoices", true, false},
        {6, "Grüße 東京", true, false},
    };
    const ChooseRow rows[] = {
        {"Orders", 4},        // equal (ignoring case) beats the earlier prefix match
        {"Orders - C", 1},    // only a prefix
        {"INVOICES", 5},
        {"Grüße 東京", 6},
        {"Orders list", 0},   // only our own window has it
        {"Nothing", 0},
        {"Orders - Customer 42 and more", 0},
    };
    for (const auto& row : rows) EXPECT_EQ(platform::ChooseWindowByTitle(windows, row.title), row.expected) << row.title;
}

// Windows that carry the record in their title are found by pattern.
TEST(ChooseWindowByTitle, APatternMatchesTheWholeTitleAndTheFrontMostMatchWins) {
    const std::vector<platform::WindowCandidate> windows = {  // in z-order, the front first
        {1, "Invoice 4711 - ACME ERP", true, false},
        {2, "Invoice 4712 - ACME ERP", true, false},
        {3, "Customer 100234 – CRM – Microsoft Edge", true, false},
        {4, "Invoice 9 - ACME ERP", false, false},  // hidden
        {5, "Kunde Müller - CRM", true, false},
        {6, "Invoice", true, false},
        {7, "Invoice 1 - Kestrel", true, true},     // this program's own
    };
    const ChooseRow rows[] = {
        {"Invoice * - ACME ERP", 1},  // two match: the one nearest the front
        {"invoice 4712 - acme *", 2},
        {"*CRM*Edge", 3},
        {"Customer ?????? – CRM*", 3},
        {"Kunde M?ller - CRM", 5},    // ? is one character, ü too
        {"Invoice ? - ACME ERP", 0},  // only a hidden window has one digit
        {"Invoice *", 1},
        {"Invoice", 6},               // no wildcard: an exact title first...
        {"Invoice 47", 1},            // ...else the first beginning with it
        {"Invoice 4711", 1},
        {"* - ACME", 0},              // the whole title must match
        {"ACME*", 0},
        {"*", 1},
        {"Invoice 1 - *", 0},         // only our own window
    };
    for (const auto& row : rows) EXPECT_EQ(platform::ChooseWindowByTitle(windows, row.title), row.expected) << row.title;
}

}  // namespace
}  // namespace kestrel
