#include <gtest/gtest.h>

#include "capture/window_choice.h"

namespace kestrel {
namespace {

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
        {7, "Ledger", true, false, true},         // cloaked: on another virtual desktop
        {8, "Program Manager", true, false, false, true},  // the shell's
        {9, "KUNDE MÜLLER – CRM – " + std::string(600, 'x') + " – Ärzte", true, false},
    };
    const ChooseRow rows[] = {
        {"Orders", 4},        // equal (ignoring case) beats the earlier prefix match
        {"Orders - C", 1},    // only a prefix
        {"INVOICES", 5},
        {"Grüße 東京", 6},
        {"Orders list", 0},   // only our own window has it
        {"Nothing", 0},
        {"Orders - Customer 42 and more", 0},
        {"grüsse", 0},
        {"GRÜßE 東京", 6},      // case-blind beyond ASCII (ß has no capital of its own)
        {"Ledger", 0},
        {"Program Manager", 0},
        {"kunde müller*", 9},
        {"* – ärzte", 9},      // the end of a title far longer than 511 characters
    };
    for (const auto& row : rows) EXPECT_EQ(ChooseWindowByTitle(windows, row.title), row.expected) << row.title;
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
    for (const auto& row : rows) EXPECT_EQ(ChooseWindowByTitle(windows, row.title), row.expected) << row.title;
}

// One rule for one source and several: the most specific source that finds
// the window in front, else the most specific source's best window.
TEST(ChooseSource, TheMostSpecificSourceWinsTheWindowInFrontFirstForOneSourceAndSeveralAlike) {
    const std::vector<platform::WindowCandidate> windows = {  // in z-order
        {1, "Mail - Inbox", true, false},
        {2, "ACME Claims - 4711", true, false},
        {3, "ACME", true, false},
        {4, "Ledger 2", true, false},
        {5, "Ledger", true, false},
        {6, "Taskbar", true, false, false, true},  // the shell's
        {7, "Kestrel", true, true},                // this program's own
        {8, "Ledger", true, false, true},          // cloaked
    };
    struct Row {
        const char* what;
        platform::WindowId front;
        std::vector<std::string> titles;
        std::optional<std::size_t> source;  // none: no source finds a window
        platform::WindowId window;
        const char* reason;  // part of why, with the sources numbered 1, 2, ...
    };
    const Row rows[] = {
        {"the longer prefix, though listed second", 2, {"ACME", "ACME Claims"}, 1, 2, "more specific than source 1"},
        {"an exact title before a pattern", 3, {"ACME*", "acme"}, 1, 3, "the window in front has its title"},
        {"a pattern before a prefix", 2, {"ACME Claims", "ACME*"}, 1, 2, "matches its pattern, 4 literal"},
        {"more literal characters", 2, {"ACME*", "ACME C* - ????"}, 1, 2, "9 literal characters"},
        {"a tie goes to the lower number", 2, {"acme claims*", "ACME CLAIMS*"}, 0, 2, "source 2 fits as well"},
        {"the window in front before a better fit behind", 2, {"Ledger", "ACME*"}, 1, 2, "in front"},
        {"one source: the window in front, by prefix alone", 4, {"Ledger"}, 0, 4, "begins with its title"},
        {"a second source changes nothing for source 1", 4, {"Ledger", "Mail*"}, 0, 4, "begins with its title"},
        {"none in front: the exact title, not the nearer prefix", 1, {"Ledger"}, 0, 5, "the nearest window with"},
        {"none in front: the most specific, not the nearest", 1, {"ACME*", "Ledger"}, 1, 5, "more specific than"},
        {"an untitled source takes the window in front", 1, {"Ledger", ""}, 1, 1, "no title"},
        {"a titled source in front beats the untitled one", 4, {"", "Ledger"}, 1, 4, "more specific than source 1"},
        {"the untitled source never takes the taskbar", 6, {"", "Ledger"}, 1, 5, "no source finds the window in front"},
        {"nor Kestrel's own window", 7, {""}, std::nullopt, 0, ""},
        {"nor a cloaked one", 8, {""}, std::nullopt, 0, ""},
        {"no window for any source", 1, {"Orders", "Stock *"}, std::nullopt, 0, ""},
    };
    for (const auto& row : rows) {
        const auto chosen = ChooseSource(windows, row.front, row.titles);
        ASSERT_EQ(chosen.has_value(), row.source.has_value()) << row.what;
        if (!chosen) continue;
        EXPECT_EQ(chosen->source, *row.source) << row.what;
        EXPECT_EQ(chosen->window, row.window) << row.what;
        EXPECT_EQ(chosen->activate, row.window != row.front) << row.what;
        const auto reason = ChoiceReason(*chosen, {1, 2});
        EXPECT_NE(reason.find(row.reason), std::string::npos) << row.what << ": " << reason;
    }
}

}  // namespace
}  // namespace kestrel
