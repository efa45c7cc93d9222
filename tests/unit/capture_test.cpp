#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <limits>

#include "capture/text_capture.h"
#include "capture/value_from.h"
#include "fake/fake_fixture.h"
#include "link/app_link.h"
#include "platform/error.h"
#include "platform/keystrokes.h"

namespace kestrel {
namespace {

using platform::ParseKeystrokes;
using Log = std::vector<std::string>;

class CaptureTest : public fake::FakeTest {
protected:
    CaptureTest() {
        auto& other = desk.AddWindow("Mail");
        desk.foreground = other.id;
    }
    // The captured text, or "<failed>" when the capture failed and said so.
    std::string Capture(const std::string& title = "Orders") { return capture.Capture(title).value_or("<failed>"); }
    TextCapture capture{{desk, desk, desk, desk, desk, desk, desk, desk}};
    std::vector<platform::Chord> Sent(const std::string& keys) { return ParseKeystrokes(keys); }
    std::vector<platform::Chord> Sent(const std::string& a, const std::string& b) {
        auto chords = ParseKeystrokes(a);
        for (auto& c : ParseKeystrokes(b)) chords.push_back(c);
        return chords;
    }
};

TEST_F(CaptureTest, ASelectionIsCopiedWithOneCtrlC) {
    desk.AddWindow("Orders", {"ACME Ltd", "Account 12345"}).selection = "12345";
    EXPECT_EQ(Capture(), "12345");
    EXPECT_EQ(desk.log, (Log{"activate:Orders", "ask-control", "ask-list", "read-console", "clear", "keys",
                             "read-clipboard"}));
    EXPECT_EQ(desk.chords, Sent("^c"));
    EXPECT_EQ(desk.clipboard, "12345") << "the captured text stays on the clipboard";
    EXPECT_TRUE(desk.messages.empty());
}

TEST_F(CaptureTest, WithoutASelectionTheCaretsLineIsSelectedAndCopied) {
    auto& w = desk.AddWindow("Orders", {"ACME Ltd", "Account 12345"});
    w.caretLine = 1;
    const auto start = desk.now;
    EXPECT_EQ(Capture(), "Account 12345");
    EXPECT_EQ(desk.chords, Sent("^c", "{home}+{end}^c"));
    EXPECT_EQ(desk.Find(w.id)->selection, "Account 12345") << "the line stays selected";
    EXPECT_GE(desk.now - start, KeysRoute::kFirstCopyBoundMs) << "the first copy was given its time";
    EXPECT_LT(desk.now - start, KeysRoute::kFirstCopyBoundMs + 100) << "the line's copy is read as soon as it lands";
}

TEST_F(CaptureTest, ASourceThatAnswersLateIsWaitedFor) {
    auto& w = desk.AddWindow("Orders", {"ACME Ltd"});
    w.selection = "ACME";
    w.copyDelayMs = 150;
    EXPECT_EQ(Capture(), "ACME");
    EXPECT_EQ(desk.chords, Sent("^c")) << "no fallback destroys the user's selection";
}

// How long a copy is waited for follows what the source's earlier copies
// showed: a prompt source with only a caret costs little, a source whose
// copies come late (a remote desktop's clipboard) or whose thread is busy
// gets the time it needs, and one that copies as it takes the keys is
// probed at once.
TEST_F(CaptureTest, ASourceIsWaitedOnAsItsCopiesShowedAndNoLateCopyIsCutShort) {
    struct Copy {
        int busyMs, copyDelayMs;  // as the fake's window has them
    };
    struct Row {
        const char* what;
        std::vector<Copy> seen;  // earlier copies of "ACME", in order
        bool selected;           // this press: "12345" selected, or only the caret in its line
        Copy copy;
        int fromMs, toMs;  // how long the capture takes
        bool inputAfterAnswers = false;  // its thread takes the keys one per probe
    };
    const Copy atOnce{0, 0}, prompt{0, 10}, remote{0, 300};
    const Row rows[] = {
        {"a prompt source, only a caret", {prompt, prompt, prompt}, false, prompt, 60, 80},
        {"a prompt source busy this once", {prompt, prompt, prompt}, true, {300, 10}, 310, 320},
        {"a prompt source busy on a caret", {prompt, prompt, prompt}, false, {300, 10}, 670, 690},
        {"a remote desktop's source", {remote, remote, remote}, true, remote, 300, 310},
        {"a remote desktop's source, only a caret", {remote, remote, remote}, false, remote, 800, 810},
        {"a source not seen yet, late", {}, true, remote, 300, 310},
        {"a source not seen yet, only a caret", {}, false, prompt, 510, 520},
        {"done by its answer, only a caret", {atOnce, atOnce, atOnce}, false, atOnce, KeysRoute::kSettleMs,
         KeysRoute::kSettleMs + 5},
        {"done by its answer, a selection", {atOnce, atOnce, atOnce}, true, atOnce, 0, 0},
        {"done by its answer, busy with a selection", {atOnce, atOnce, atOnce}, true, {300, 0}, 300, 300},
        {"done by its answer, busy on a caret", {atOnce, atOnce, atOnce}, false, {300, 0}, 600 + KeysRoute::kSettleMs,
         600 + KeysRoute::kSettleMs + 5},
        {"done by its answer, a copy a little late", {atOnce, atOnce, atOnce}, true, {0, KeysRoute::kSettleMs - 5},
         KeysRoute::kSettleMs - 5, KeysRoute::kSettleMs},
        // One copy that came after the answer: the time learned from the copies rules.
        {"once later than its answer, a late copy", {atOnce, {0, 30}, atOnce}, true, {0, 90}, 90, 95},
        {"once later than its answer, only a caret", {atOnce, {0, 30}, atOnce}, false, atOnce, 100, 105},
        {"done by its answer twice only, only a caret", {atOnce, atOnce}, false, atOnce, 500, 505},
        {"its keys taken one per probe, only a caret", {atOnce, atOnce, atOnce}, false, atOnce, KeysRoute::kSettleMs,
         KeysRoute::kSettleMs + 5, true},
        {"its keys taken one per probe, a selection", {atOnce, atOnce, atOnce}, true, atOnce, 0, 0, true},
    };
    for (const auto& row : rows) {
        auto& w = desk.AddWindow("Orders", {"ACME Ltd", "Account 12345"});
        const auto id = w.id;
        w.selection = "ACME";
        w.inputAfterAnswers = row.inputAfterAnswers;
        for (const auto& copy : row.seen) {
            desk.Find(id)->busyMs = copy.busyMs;
            desk.Find(id)->copyDelayMs = copy.copyDelayMs;
            ASSERT_EQ(Capture(), "ACME") << row.what;
            desk.WaitForEvents(1000);  // the user's time between presses
        }
        auto& source = *desk.Find(id);
        source.selection = row.selected ? "12345" : "";
        source.caretLine = 1;
        source.busyMs = row.copy.busyMs;
        source.copyDelayMs = row.copy.copyDelayMs;
        desk.chords.clear();
        const auto start = desk.now;
        EXPECT_EQ(Capture(), row.selected ? "12345" : "Account 12345") << row.what;
        EXPECT_EQ(desk.chords, row.selected ? Sent("^c") : Sent("^c", "{home}+{end}^c")) << row.what;
        EXPECT_GE(desk.now - start, row.fromMs) << row.what;
        EXPECT_LE(desk.now - start, row.toMs) << row.what;
        desk.windows.clear();
    }
    EXPECT_TRUE(desk.messages.empty());
}

TEST_F(CaptureTest, ASourceWhoseCopyTimesVaryFromPressToPressIsCapturedExactlyOnEveryPress) {
    struct Row {
        const char* what;
        bool onItsThread;  // the time is its thread's (busy), else its clipboard's (a remote desktop's)
    };
    const Row rows[] = {{"its thread busy for the time", true}, {"its thread idle, the copy late", false}};
    for (const auto& row : rows) {
        auto& w = desk.AddWindow("Orders", {"ACME Ltd", "Account 12345"});
        const auto id = w.id;
        w.caretLine = 1;
        // A fixed sequence of copy times between 5 and 60 ms: two quick copies
        // first, then one near the top, then at random.
        std::uint32_t x = 2463534242u;
        const auto next = [&] {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            return static_cast<int>(x % 56);
        };
        int longestCaret = 0;
        for (int press = 0; press < 40; ++press) {
            const int early[] = {5, 5, 58};
            const int ms = press < 3 ? early[press] : 5 + next();
            const bool selected = press < 3 || next() % 2;
            auto& source = *desk.Find(id);
            source.selection = selected ? "12345" : "";
            source.busyMs = row.onItsThread ? ms : 0;
            source.copyDelayMs = row.onItsThread ? 0 : ms;
            desk.chords.clear();
            const auto start = desk.now;
            ASSERT_EQ(Capture(), selected ? "12345" : "Account 12345") << row.what << ", press " << press << ", " << ms;
            ASSERT_EQ(desk.chords, selected ? Sent("^c") : Sent("^c", "{home}+{end}^c"))
                << row.what << ", press " << press << ": the selection is never replaced by the line";
            if (!selected && press > 8) longestCaret = std::max<int>(longestCaret, static_cast<int>(desk.now - start));
        }
        EXPECT_GT(longestCaret, 0) << row.what << ": caret presses were made";
        EXPECT_LT(longestCaret, KeysRoute::kFirstCopyBoundMs) << row.what << ": once known, not given the whole bound";
        desk.windows.clear();
    }
    EXPECT_TRUE(desk.messages.empty());
}

// Copies are kept by program and class: another window of the same program
// (its name in any case) shares them, another class or program does not, and
// a window whose program has no name is its own.
TEST(CopyLatenciesTest, EachProgramsLastEightCopiesAreKeptAndTheLeastRecentlyUsedForgotten) {
    constexpr std::int64_t kToday = 20431;
    const CopySource orders{"orders.exe", "TForm1", 1}, ordersAgain{"ORDERS.EXE", "tform1", 2},
        ordersDialog{"orders.exe", "#32770", 1}, unnamed{"", "TForm1", 3}, unnamedToo{"", "TForm1", 4};
    CopyLatencies latencies;
    EXPECT_FALSE(latencies.AllByAnswer(orders)) << "nothing seen";
    EXPECT_EQ(latencies.Longest(orders), std::nullopt);
    latencies.Seen(orders, 200, false, kToday);  // one slow, late copy among quick ones done by the answer
    for (int i = 0; i < 7; ++i) latencies.Seen(ordersAgain, 10, true, kToday);
    EXPECT_EQ(latencies.Kept(orders), 8u) << "the last eight, of either window";
    EXPECT_EQ(latencies.Longest(ordersAgain), 200) << "still among the last eight";
    EXPECT_FALSE(latencies.AllByAnswer(orders));
    latencies.Seen(orders, 12, true, kToday);
    EXPECT_EQ(latencies.Longest(orders), 12) << "aged out";
    EXPECT_TRUE(latencies.AllByAnswer(orders));
    EXPECT_EQ(latencies.Kept(ordersDialog), 0u) << "another class is another source";
    latencies.Seen(unnamed, 5, true, kToday);
    EXPECT_EQ(latencies.Kept(unnamed), 1u);
    EXPECT_EQ(latencies.Kept(unnamedToo), 0u) << "without a program name, each window its own";
    for (std::size_t p = 0; p + 2 < CopyLatencies::kSourcesKept; ++p)
        latencies.Seen({"p" + std::to_string(p) + ".exe", "C", 9}, 5, true, kToday);
    latencies.Seen(orders, 12, true, kToday);  // orders used last, unnamed least recently
    latencies.Seen({"new.exe", "C", 9}, 5, true, kToday);
    EXPECT_EQ(latencies.Kept(unnamed), 0u) << "the least recently used source is forgotten";
    EXPECT_EQ(latencies.Longest(orders), 12);
}

// What one start stored, the next takes back; what it did not write so (by
// hand, cut, from a day long gone or not yet come) is ignored and said.
TEST(CopyLatenciesTest, WhatWasStoredIsTakenBackAndNothingElseIsTrusted) {
    constexpr std::int64_t kToday = 20431;
    CopyLatencies seen;
    for (int ms : {30, 40, 35}) seen.Seen({"orders.exe", "TForm1", 1}, ms, false, kToday - 2);
    seen.Seen({"crm.exe", "Chrome_WidgetWin_1", 2}, 5, true, kToday);
    seen.Seen({"", "TForm1", 3}, 5, true, kToday);  // no program name: not stored
    const auto stored = seen.Stored(kToday);
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[1].rfind("orders.exe|TForm1|20429|30l,40l,35l|", 0), 0u) << stored[1];
    const auto edited = [&](std::string text, std::size_t at, char c) { return text.replace(at, 1, 1, c); };
    struct Row {
        std::vector<std::string> texts;
        std::vector<std::string> ignored;
        std::size_t ordersKept;  // of the three orders.exe copies
    };
    const Row rows[] = {
        {stored, {}, 3},
        {{edited(stored[1], 24, '9'), stored[0]}, {"1: changed since Kestrel wrote it"}, 0},
        {{stored[1].substr(0, 30), "", stored[1]}, {"1: not as Kestrel writes it"}, 3},
        {{stored[1], stored[1]}, {"2: a second entry for the same program"}, 3},
        {{std::string(2000, 'x')}, {"1: too long"}, 0},
    };
    for (const auto& row : rows) {
        CopyLatencies restored;
        std::vector<std::string> said;
        restored.Restore(row.texts, kToday, said);
        EXPECT_EQ(said, row.ignored) << row.texts.front();
        EXPECT_FALSE(restored.Changed());
        const CopySource orders{"Orders.exe", "TForm1", 7};  // a new window of a known program
        EXPECT_EQ(restored.Kept(orders), row.ordersKept) << row.texts.front();
        if (row.ordersKept) {
            EXPECT_EQ(restored.Longest(orders), 40);
        }
    }
    std::vector<std::string> said;
    CopyLatencies later;
    later.Restore(stored, kToday + CopyLatencies::kDaysKept, said);
    EXPECT_EQ(said, (std::vector<std::string>{"2: not seen for more than 30 days"}));
    EXPECT_EQ(later.Kept({"crm.exe", "Chrome_WidgetWin_1", 0}), 1u) << "seen 30 days before";
    said.clear();
    later.Restore(stored, kToday - 3, said);
    EXPECT_EQ(said, (std::vector<std::string>{"1: dated after today", "2: dated after today"}));
}

TEST_F(CaptureTest, ACopyThatNeverLandsGivesEmptyTextAfterBothTries) {
    auto& w = desk.AddWindow("Orders", {"ACME Ltd"});
    w.selection = "ACME";
    w.copyDelayMs = -1;
    desk.clipboard = "left over from before";
    EXPECT_EQ(Capture(), "");
    EXPECT_EQ(desk.chords, Sent("^c", "{home}+{end}^c"));
    EXPECT_TRUE(desk.messages.empty()) << "empty text is the caller's to report";
}

TEST_F(CaptureTest, AnEmptyTitleActivatesNothingAndTypesIntoTheFocusedWindow) {
    auto& w = desk.AddWindow("Scratch", {"typed here"});
    w.selection = "typed";
    desk.foreground = w.id;
    EXPECT_EQ(Capture(""), "typed");
    EXPECT_EQ(desk.log, (Log{"ask-control", "ask-list", "read-console", "clear", "keys", "read-clipboard"}));
}

TEST_F(CaptureTest, AMissingWindowIsReportedWithTheConfiguredTitle) {
    desk.clipboard = "old";
    EXPECT_EQ(Capture(), "<failed>");
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text, "error activating: 'Orders' window.");
    EXPECT_EQ(desk.messages[0].modality, platform::Modality::System);
    EXPECT_EQ(desk.messages[0].caption, "Kestrel");
    EXPECT_TRUE(desk.chords.empty());
    EXPECT_EQ(desk.clipboard, "") << "the clipboard is emptied all the same";
}

TEST_F(CaptureTest, AnEditControlIsAskedInsteadOfTypedInto) {
    using fake::FocusedControl;
    struct Row {
        const char* what;
        FocusedControl control;
        std::string selection;
        int caretLine;
        std::string captured;  // and left on the clipboard
        bool keys;             // typed: the keystroke route
    };
    const Row rows[] = {
        {"an edit's selection", FocusedControl::Edit, "12345", 0, "12345", false},
        {"a selection over lines", FocusedControl::Edit, "ACME Ltd\r\nAccount", 0, "ACME Ltd\r\nAccount", false},
        {"only a caret: its line", FocusedControl::Edit, "", 1, "Account 12345", false},
        {"the caret on an empty line", FocusedControl::Edit, "", 2, "", false},
        {"a password box is never read", FocusedControl::Password, "secret", 0, "", false},
        {"a control that does not answer", FocusedControl::Silent, "12345", 0, "12345", true},
        {"a control only keys reach", FocusedControl::KeysOnly, "12345", 0, "12345", true},
    };
    for (const auto& row : rows) {
        desk.windows.clear();
        desk.chords.clear();
        desk.messages.clear();
        desk.clipboard = "before";
        auto& w = desk.AddWindow("Orders", {"ACME Ltd", "Account 12345", ""});
        w.control = row.control;
        w.selection = row.selection;
        w.caretLine = row.caretLine;
        // The user still holds the hotkey's Ctrl: asking need not wait for it.
        desk.heldUntil[platform::kKeyControl] = desk.now + 300;
        const auto start = desk.now;
        EXPECT_EQ(Capture(), row.captured) << row.what;
        EXPECT_EQ(desk.clipboard, row.captured) << row.what << ": the clipboard holds the value";
        EXPECT_EQ(!desk.chords.empty(), row.keys) << row.what;
        if (!row.keys) {
            EXPECT_EQ(desk.now, start) << row.what << ": no waiting";
            EXPECT_EQ(desk.Find(w.id)->selection, row.selection) << row.what << ": the selection stays";
        }
        EXPECT_TRUE(desk.messages.empty()) << row.what;
        desk.heldUntil.clear();
    }
}

TEST_F(CaptureTest, AConsoleIsReadNotTypedInto) {
    using Console = fake::FakeWindow::Console;
    struct Row {
        const char* what;
        Console console;
        std::string captured;  // or the message shown
        bool failed;
    };
    const Row rows[] = {
        {"the cursor's line, its padding cut", {{"CUSTOMER", "100234    ", "open"}, 1, {}, false}, "100234", false},
        {"an empty line", {{"CUSTOMER", "          "}, 1, {}, false}, "", false},
        {"a selected block over two rows", {{"x"}, 0, {"ACME Ltd   ", "100234     "}, false}, "ACME Ltd\r\n100234",
         false},
        {"a buffer that cannot be read", {{"x"}, 0, {}, true},
         "error: the console window could not be read. Press the hotkey again in a moment.", true},
    };
    for (const auto& row : rows) {
        desk.windows.clear();
        desk.chords.clear();
        desk.messages.clear();
        desk.keyStateQueries = 0;
        auto& w = desk.AddWindow("Orders");
        w.console = row.console;
        const auto id = w.id;
        desk.heldUntil[platform::kKeyControl] = desk.now + 300;  // the hotkey's Ctrl, still down
        const auto start = desk.now;
        if (row.failed) {
            EXPECT_EQ(Capture(), "<failed>") << row.what;
            ASSERT_EQ(desk.messages.size(), 1u) << row.what;
            EXPECT_EQ(desk.messages[0].text, row.captured) << row.what;
        } else {
            EXPECT_EQ(Capture(), row.captured) << row.what;
            EXPECT_EQ(desk.clipboard, row.captured) << row.what << ": on the clipboard as a copy leaves it";
            EXPECT_TRUE(desk.messages.empty()) << row.what;
        }
        EXPECT_TRUE(desk.chords.empty()) << row.what << ": no key typed";
        EXPECT_EQ(desk.Find(id)->programKeys, 0) << row.what;
        EXPECT_EQ(desk.keyStateQueries, 0) << row.what << ": no wait for the modifiers";
        EXPECT_EQ(desk.now, start) << row.what;
        desk.heldUntil.clear();
    }
}

// Terminals get no key at all: Windows Terminal, for one, passes even its copy
// chords on as Ctrl+C when nothing is selected. Only a copy the terminal made
// itself since the last press (or the start) is taken.
TEST_F(CaptureTest, ATerminalGetsNoKeyAndOnlyItsOwnFreshCopyIsTaken) {
    enum class Copy { Fresh, AnotherPrograms, BeforeTheStart, None };
    struct Row {
        const char* className;
        const char* name;
        Copy copy;
        const char* program = "";
        bool hosted = false;  // its window is the focused control inside another program's window
    };
    const Row rows[] = {
        {"CASCADIA_HOSTING_WINDOW_CLASS", "Windows Terminal", Copy::Fresh},
        {"CASCADIA_HOSTING_WINDOW_CLASS", "Windows Terminal", Copy::None},
        {"CASCADIA_HOSTING_WINDOW_CLASS", "Windows Terminal", Copy::BeforeTheStart},
        {"mintty", "mintty", Copy::Fresh},
        {"mintty", "mintty", Copy::AnotherPrograms},
        {"PuTTY", "PuTTY", Copy::Fresh},
        {"PuTTY", "PuTTY", Copy::BeforeTheStart},
        {"KiTTY", "KiTTY", Copy::Fresh},
        {"KiTTY", "KiTTY", Copy::AnotherPrograms},
        // by its program's file name, compared without case
        {"", "PuTTY", Copy::Fresh, "PUTTY.EXE"},
        {"Window Class", "Alacritty", Copy::None, "alacritty.exe"},
        {"", "ConEmu", Copy::AnotherPrograms, "ConEmu64.exe"},
        // hosted inside another program's window, by class or by program
        {"PuTTY", "PuTTY", Copy::Fresh, "", true},
        {"", "MobaXterm", Copy::AnotherPrograms, "MobaXterm.exe", true},
    };
    for (const auto& row : rows) {
        const std::string what = std::string(row.name) + " " + std::to_string(static_cast<int>(row.copy));
        desk.windows.clear();
        desk.chords.clear();
        desk.messages.clear();
        auto& w = desk.AddWindow("Orders", {"$ ledger", "100234"});
        w.className = row.hosted ? "SessionManager" : row.className;
        w.program = row.hosted ? "manager.exe" : row.program;
        w.caretLine = 1;
        const auto window = w.id;
        const auto id = row.hosted ? window + 500 : window;  // the window that copies
        if (row.hosted) w.focusPath = {{id, row.className, row.program}};
        if (row.copy == Copy::BeforeTheStart) desk.CopiedAsSelected(id, "100234");
        TextCapture started{{desk, desk, desk, desk, desk, desk, desk, desk}};
        if (row.copy == Copy::Fresh) desk.CopiedAsSelected(id, "100234");
        if (row.copy == Copy::AnotherPrograms) desk.CopiedAsSelected(id + 999, "100234");
        const auto text = started.Capture("Orders");
        if (row.copy == Copy::Fresh) {
            EXPECT_EQ(text, "100234") << what;
            EXPECT_TRUE(desk.messages.empty()) << what;
        } else {
            EXPECT_FALSE(text) << what;
            ASSERT_EQ(desk.messages.size(), 1u) << what;
            EXPECT_EQ(desk.messages[0].text.rfind(std::string("error: nothing is selected in ") + row.name + ".", 0), 0u)
                << what << ": " << desk.messages[0].text;
        }
        EXPECT_TRUE(desk.chords.empty()) << what << ": no key at all";
        EXPECT_EQ(desk.Find(window)->programKeys, 0) << what;
    }
}

TEST_F(CaptureTest, ATerminalsCopyMadeBeforeTheLastPressIsNotTakenAgain) {
    auto& w = desk.AddWindow("Orders", {"$ ledger"});
    w.className = "PuTTY";
    const auto id = w.id;
    desk.CopiedAsSelected(id, "100234");
    EXPECT_EQ(Capture(), "100234");
    EXPECT_EQ(Capture(), "<failed>") << "the same copy is no selection of this press";
    desk.CopiedAsSelected(id, "100234");
    EXPECT_EQ(Capture(), "100234") << "selected again";
    EXPECT_TRUE(desk.chords.empty());
}

TEST_F(CaptureTest, AWindowBehindItsOwnDialogIsCapturedThroughTheDialog) {
    auto& w = desk.AddWindow("Orders", {"ACME"});
    w.selection = "not this";
    const auto windowId = w.id;
    auto& dialog = desk.AddWindow("Find customer", {"Customer 4711"});
    dialog.selection = "4711";
    dialog.dialogOf = windowId;
    desk.Find(windowId)->dialog = dialog.id;
    EXPECT_EQ(Capture(), "4711");
    EXPECT_TRUE(desk.messages.empty()) << "the dialog in front counts as the window in front";
}

TEST_F(CaptureTest, ARefusedActivationSendsNoKeystroke) {
    auto& w = desk.AddWindow("Orders", {"ACME"});
    w.selection = "ACME";
    w.refusesActivation = true;
    EXPECT_EQ(Capture(), "<failed>");
    EXPECT_TRUE(desk.chords.empty()) << "keys would have gone to another window";
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text, "error activating: 'Orders' window.");
}

TEST_F(CaptureTest, NoKeystrokeUntilCtrlShiftAndAltAreReleased) {
    desk.AddWindow("Orders", {"ACME"}).selection = "ACME";
    const auto start = desk.now;
    desk.heldUntil[platform::kKeyControl] = start + 300;
    desk.heldUntil[platform::kKeyShift] = start + 1200;  // released last
    desk.heldUntil[platform::kKeyAlt] = start + 50;
    std::int64_t sentAt = 0;
    desk.At(start + 1199, [&] { EXPECT_TRUE(desk.chords.empty()) << "Shift is still down"; });
    EXPECT_EQ(Capture(), "ACME");
    sentAt = desk.now;
    EXPECT_GE(sentAt, start + 1200);
    // It sleeps between looks instead of spinning: a few queries per 10 ms.
    EXPECT_LT(desk.keyStateQueries, 3 * (1200 / 10 + 5));
    EXPECT_EQ(desk.keyStateQueries % 3, 0) << "all three keys are queried on every pass";
}

TEST_F(CaptureTest, ABusyClipboardIsWaitedForAboutASecondThenReportedAsBusy) {
    const std::pair<int, bool> rows[] = {{3, true}, {60, true}, {95, true}, {120, false}, {100000, false}};
    for (const auto& [busyTries, captured] : rows) {
        desk.windows.clear();
        desk.messages.clear();
        desk.chords.clear();
        desk.AddWindow("Orders", {"ACME"}).selection = "ACME";
        desk.busyOpens = busyTries;
        const auto start = desk.now;
        EXPECT_EQ(Capture(), captured ? "ACME" : "<failed>") << busyTries << " busy tries";
        EXPECT_LE(desk.now - start, 1100) << "no longer than about a second";
        if (captured) {
            EXPECT_TRUE(desk.messages.empty()) << busyTries;
        } else {
            ASSERT_EQ(desk.messages.size(), 1u) << busyTries;
            EXPECT_EQ(desk.messages[0].text,
                      "error: the clipboard is in use by another program. Press the hotkey again in a moment.");
            EXPECT_EQ(desk.messages[0].modality, platform::Modality::System);
            EXPECT_TRUE(desk.chords.empty()) << "no keys typed";
        }
        desk.busyOpens = 0;
    }
}

TEST_F(CaptureTest, AModifierThatNeverComesUpIsNamedAndNothingIsTyped) {
    struct Row {
        platform::KeyCode key;
        int heldMs;
        const char* message;  // nullptr: captured
    };
    const Row rows[] = {
        {platform::kKeyControl, 4900, nullptr},
        {platform::kKeyControl, 1000000, "error: the Ctrl key is still held down. Release it and press the hotkey again."},
        {platform::kKeyShift, 1000000, "error: the Shift key is still held down. Release it and press the hotkey again."},
        {platform::kKeyAlt, 6000, "error: the Alt key is still held down. Release it and press the hotkey again."},
    };
    for (const auto& row : rows) {
        desk.windows.clear();
        desk.messages.clear();
        desk.chords.clear();
        desk.heldUntil.clear();
        desk.AddWindow("Orders", {"ACME"}).selection = "ACME";
        desk.heldUntil[row.key] = desk.now + row.heldMs;
        EXPECT_EQ(Capture(), row.message ? "<failed>" : "ACME") << row.heldMs;
        if (!row.message) continue;
        ASSERT_EQ(desk.messages.size(), 1u);
        EXPECT_EQ(desk.messages[0].text, row.message);
        EXPECT_TRUE(desk.chords.empty()) << "no keys typed while " << row.message;
        desk.heldUntil.clear();
        EXPECT_EQ(Capture(), "ACME") << "the next press works";
    }
}

// A press that cannot type says what stood in the way, and types nothing
// more: "error activating" is only for a window that did not come forward.
TEST_F(CaptureTest, EachFailureOfTheKeysSaysWhatFailed) {
    struct Row {
        const char* what;
        std::function<void(fake::FakeWindow&)> arrange;
        const char* message;  // the beginning of it
        std::size_t chords;   // typed before the failure
    };
    const Row rows[] = {
        {"the system takes only some of the keys", [&](fake::FakeWindow&) { desk.injectLimit = 1; },
         "error: the system did not take all of the keys", 1},
        {"the program runs as administrator", [](fake::FakeWindow& w) { w.higherRights = true; },
         "error: the source window's program runs as administrator", 0},
        {"the user clicks elsewhere while Ctrl is down",
         [&](fake::FakeWindow&) {
             desk.heldUntil[platform::kKeyControl] = desk.now + 300;
             const auto mail = desk.windows.front().id;
             desk.At(desk.now + 100, [this, mail] { desk.foreground = mail; });
         },
         "error: the source window did not stay in front", 0},
    };
    for (const auto& row : rows) {
        desk.windows.resize(1);  // the mail window the fixture made
        desk.messages.clear();
        desk.chords.clear();
        desk.injectLimit = std::numeric_limits<std::size_t>::max();
        auto& w = desk.AddWindow("Orders", {"ACME"});
        w.selection = "ACME";
        row.arrange(w);
        EXPECT_EQ(Capture(), "<failed>") << row.what;
        ASSERT_EQ(desk.messages.size(), 1u) << row.what;
        EXPECT_EQ(desk.messages[0].text.rfind(row.message, 0), 0u) << row.what << ": " << desk.messages[0].text;
        EXPECT_EQ(desk.chords.size(), row.chords) << row.what;
        desk.heldUntil.clear();
    }
}

// Only what the source copied is its value: text another program leaves on
// the clipboard, before the press or while the modifiers are waited for, is not.
TEST_F(CaptureTest, AClipboardTheKeysDidNotChangeGivesNothing) {
    for (const bool duringTheWait : {false, true}) {
        desk.windows.resize(1);
        desk.chords.clear();
        auto& w = desk.AddWindow("Orders", {"ACME Ltd"});
        w.copyDelayMs = -1;  // its copies never land
        if (duringTheWait) {
            desk.heldUntil[platform::kKeyControl] = desk.now + 300;
            desk.At(desk.now + 100, [this] {
                desk.clipboard = "a stranger's text";
                desk.clipboardOwner = 999;
                ++desk.sequence;
            });
        } else {
            desk.clipboard = "left over from before";
        }
        EXPECT_EQ(Capture(), "") << duringTheWait;
        EXPECT_EQ(desk.chords, Sent("^c", "{home}+{end}^c")) << duringTheWait;
        desk.heldUntil.clear();
    }
}

// After the keys, only a copy of the source's program is its value; one that
// came with no owner window may be its own and is taken, saying so.
TEST_F(CaptureTest, OnlyTheSourcesCopyIsTakenAfterTheKeys) {
    struct Row {
        const char* what;
        int sourceCopyMs;      // when its copy lands after the keys; negative: never
        bool withoutOwner;     // its copy comes with no owner window
        int strangerCopyMs;    // when another program copies; negative: never
        int busyFromMs;        // the clipboard held by another program from then on; negative: never
        const char* captured;  // or the message shown
        const char* why;
    };
    const Row rows[] = {
        {"another program copies first", 200, false, 50, -1, "ACME", "another program's copy left alone"},
        {"only another program copies", -1, false, 50, -1, "", "another program's copy left alone"},
        {"a copy with no owner window", 50, true, -1, -1, "ACME", "a copy with no owner window taken"},
        {"the clipboard is busy after the keys", 50, false, -1, 20,
         "error: the clipboard is in use by another program. Press the hotkey again in a moment.",
         "the clipboard was busy after the keys"},
    };
    for (const auto& row : rows) {
        desk.windows.resize(1);
        desk.messages.clear();
        desk.busyOpens = 0;
        auto& w = desk.AddWindow("Orders", {"ACME Ltd"});
        w.selection = "ACME";
        w.copyDelayMs = row.sourceCopyMs;
        w.copiesWithoutOwner = row.withoutOwner;
        const auto start = desk.now;
        if (row.strangerCopyMs >= 0)
            desk.At(start + row.strangerCopyMs, [this] {
                desk.clipboard = "a stranger's text";
                desk.clipboardOwner = 999;
                desk.sequence += 2;
            });
        if (row.busyFromMs >= 0) desk.At(start + row.busyFromMs, [this] { desk.busyOpens = 1000000; });
        const auto text = Capture();
        if (row.busyFromMs >= 0) {
            EXPECT_EQ(text, "<failed>") << row.what;
            ASSERT_EQ(desk.messages.size(), 1u) << row.what;
            EXPECT_EQ(desk.messages[0].text, row.captured) << row.what;
        } else {
            EXPECT_EQ(text, row.captured) << row.what;
        }
        EXPECT_NE(capture.report().why.find(row.why), std::string::npos) << row.what << ": " << capture.report().why;
    }
}

// The system's lists are asked for the item the user chose: no key, whose
// line keys would move the selection or change a form's choice.
TEST_F(CaptureTest, AListIsAskedForTheChosenItemAndNeverTypedInto) {
    using List = fake::FakeWindow::List;
    using Control = platform::ListText::Control;
    const std::vector<std::vector<std::string>> rows3 = {
        {"100231", "ACME Ltd", "Leeds"}, {"100232", "Bolt plc", "York"}, {"100233", "Crane AG", "Bern"}};
    const std::vector<std::string> headers = {"Customer", "Name", "City"};
    struct Row {
        const char* what;
        List list;
        std::string column;
        std::string captured;  // or the message shown
        bool failed;
        const char* why = "";  // in the log's reason
    };
    using Kind = platform::ListText::Kind;
    const Row rows[] = {
        {"the focused row, selected", {Control::ListView, rows3, headers, {0, 2}, 2, false}, "", "100233", false},
        {"the focused row not selected: the first selected", {Control::ListView, rows3, headers, {1, 2}, 0, false}, "",
         "100232", false},
        {"a column by its header, case-blind", {Control::ListView, rows3, headers, {1}, 1, false}, "city", "York",
         false},
        {"nothing selected", {Control::ListView, rows3, headers, {}, 1, false}, "", "", false},
        {"a list box's item with the caret", {Control::ListBox, {{"Leeds"}, {"York"}}, {}, {0, 1}, 1, false}, "",
         "York", false},
        {"a drop-down list's choice", {Control::DropDownList, {{"open"}, {"closed"}}, {}, {1}, 1, false}, "",
         "closed", false},
        {"a tree's node", {Control::TreeView, {{"Invoices"}, {"4711"}}, {}, {1}, 1, false}, "", "4711", false},
        {"a column no header has", {Control::ListView, rows3, headers, {1}, 1, false}, "Postcode",
         "error: the list in the source window has no column \"Postcode\"", true},
        {"a list that does not answer", {Control::ListView, rows3, headers, {1}, 1, true}, "",
         "error: the list in the source window did not answer", true, "and did not answer"},
        {"a list of a program with more rights", {Control::ListView, rows3, headers, {1}, 1, false, Kind::Refused}, "",
         KeysRoute::kHigherRightsMessage, true, "its program runs with more rights"},
        {"an owner-drawn list without strings", {Control::ListBox, {{""}}, {}, {0}, 0, false, Kind::NoText}, "",
         "error: this list shows no text Kestrel can read, so nothing was taken from it.", true,
         "drawn by its program with no text kept"},
        {"an item longer than Kestrel takes", {Control::DropDownList, {{""}}, {}, {0}, 0, false, Kind::TooLong}, "",
         "error: the chosen item in the list in the source window is longer than 8192 characters", true,
         "longer than 8192 characters"},
        {"a tree whose node cannot be reached safely", {Control::TreeView, {{""}}, {}, {0}, 0, false, Kind::Unreachable},
         "", "error: Kestrel cannot read the list in the source window safely", true, "cannot be reached safely"},
    };
    for (const auto& row : rows) {
        desk.windows.resize(1);
        desk.chords.clear();
        desk.messages.clear();
        desk.clipboard = "before";
        auto& w = desk.AddWindow("Orders");
        w.list = row.list;
        const auto id = w.id;
        const auto text = capture.Capture("Orders", row.column);
        if (row.failed) {
            EXPECT_FALSE(text) << row.what;
            ASSERT_EQ(desk.messages.size(), 1u) << row.what;
            EXPECT_EQ(desk.messages[0].text.rfind(row.captured, 0), 0u) << row.what << ": " << desk.messages[0].text;
            EXPECT_NE(capture.report().why.find(row.why), std::string::npos) << row.what << ": " << capture.report().why;
        } else {
            EXPECT_EQ(text, row.captured) << row.what;
            EXPECT_EQ(desk.clipboard, row.captured) << row.what << ": the value on the clipboard, as a copy leaves it";
            EXPECT_TRUE(desk.messages.empty()) << row.what;
        }
        EXPECT_TRUE(desk.chords.empty()) << row.what << ": no key typed";
        EXPECT_EQ(desk.Find(id)->list->selected, row.list.selected) << row.what;
        EXPECT_EQ(desk.Find(id)->programKeys, 0) << row.what;
    }
}

// A source that names its field reads it wherever the user's focus is: the
// window is not brought to the front and no key is typed.
TEST_F(CaptureTest, ANamedFieldIsAskedForWhereverTheFocusIsAndNothingIsTyped) {
    using Child = fake::FakeWindow::Child;
    using fake::FocusedControl;
    const auto child = [](platform::WindowId id, int controlId, const char* className, const char* real, std::string text,
                          FocusedControl control = FocusedControl::Edit) {
        return Child{{id, controlId, className, real}, std::move(text), control};
    };
    auto list = child(907, 1006, "SysListView32", "SysListView32", "");
    list.list = fake::FakeWindow::List{platform::ListText::Control::ListView, {{"100231", "ACME"}, {"100232", "Bolt"}},
                                       {"Customer", "Name"}, {1}, 1};
    const std::vector<Child> children = {
        child(901, 1000, "Static", "Static", "Invoice No."),
        child(902, 1001, "Edit", "Edit", "4711"),
        child(903, 1002, "ThunderRT6TextBox", "", "ACME Ltd"),  // VB's edit: an edit by the class table
        child(904, 1003, "Edit", "Edit", "secret", FocusedControl::Password),
        child(905, 1004, "Edit", "Edit", "", FocusedControl::Silent),
        child(906, 1005, "MyGrid", "", "drawn"),
        list,
    };
    // The title as configured: the window's own may carry a customer's name, and messages are logged.
    const std::string in = " in 'Invoice * - ACME ERP'";
    struct Row {
        const char* from;
        std::string value;  // or the message, when failed
        bool failed = false;
    };
    const Row rows[] = {
        {"control #1001", "4711"},
        {"control edit 1", "4711"},
        {"control edit 2", "ACME Ltd"},
        {"control thunderrt6textbox 1", "ACME Ltd"},
        {"control static 1", "Invoice No."},
        {"control #1006", "100232"},
        {"control list view 1", "100232"},
        {"title", "Invoice 4711 - ACME ERP"},
        {"control #2000", "error: the field control #2000 was not found" + in + ".", true},
        {"control edit 5", "error: the field control edit 5 was not found" + in + ".", true},
        {"control #1003", "error: the field control #1003" + in + " is a password box, which Kestrel never reads.", true},
        {"control #1004", "error: the field control #1004" + in + " did not answer", true},
        {"control MyGrid 1", "error: the field control MyGrid 1" + in + " is no control Kestrel can read.", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.from);
        desk.windows.resize(1);
        desk.chords.clear();
        desk.messages.clear();
        desk.log.clear();
        desk.clipboard = "before";
        auto& w = desk.AddWindow("Invoice 4711 - ACME ERP", {"notes"});
        w.children = children;
        const auto text = capture.Capture("Invoice * - ACME ERP", {}, ParseValueFrom(row.from));
        if (row.failed) {
            EXPECT_FALSE(text);
            ASSERT_EQ(desk.messages.size(), 1u);
            EXPECT_EQ(desk.messages[0].text.rfind(row.value, 0), 0u) << desk.messages[0].text;
            EXPECT_NE(capture.report().why.find(row.from), std::string::npos) << capture.report().why;
        } else {
            EXPECT_EQ(text, row.value);
            EXPECT_EQ(desk.clipboard, row.value) << "the value on the clipboard, as a copy leaves it";
            EXPECT_TRUE(desk.messages.empty());
        }
        EXPECT_TRUE(desk.chords.empty()) << "no key typed";
        EXPECT_EQ(desk.foreground, desk.windows[0].id) << "the window in front stays in front";
        for (const auto& asked : desk.log) EXPECT_NE(asked.rfind("activate", 0), 0u) << asked;
    }
    EXPECT_EQ(desk.log, (Log{"descendants", "ask-text:906", "message:" + desk.messages[0].text}))
        << "the focus is not asked, nor the clipboard emptied";
}

class GrabTest : public fake::FakeTest {
protected:
    Settings settings{{Source{1, "Orders", "Claims", "Account"}}};
    TextCapture capture{{desk, desk, desk, desk, desk, desk, desk, desk}};
    AppLink link{settings, capture, {desk, desk, desk, desk, desk}};
};

TEST_F(GrabTest, StoresTheCaptureAsTheFieldsValueEvenWhenEmpty) {
    auto& w = desk.AddWindow("Orders", {"ACME"});
    w.selection = "ACME";
    link.SetField({"Account", {}});
    link.Grab();
    EXPECT_EQ(link.field()->value, "ACME");
    desk.Find(w.id)->selection.clear();
    desk.Find(w.id)->lines = {""};
    link.Grab();
    EXPECT_EQ(link.field()->value, "") << "the previous value is gone";
}

TEST_F(GrabTest, ATitleSourceTakesThePatternsValueAndOneThatDoesNotReadSaysSoAtEachPress) {
    settings.sources[0] = Source{1, "", "Claims", "Account", "Invoice (\\d+)", "", "title"};
    link.SetField({"Account", {}});
    desk.foreground = desk.AddWindow("Invoice 4711 - ACME ERP", {"notes"}).id;
    EXPECT_TRUE(link.Grab()) << "an empty window title: the window in front";
    EXPECT_EQ(link.field()->value, "4711");
    EXPECT_TRUE(desk.chords.empty());
    settings.sources[0].valueFrom = "control #";
    for (int press = 0; press < 2; ++press) {
        desk.messages.clear();
        desk.log.clear();
        EXPECT_FALSE(link.Grab());
        ASSERT_EQ(desk.messages.size(), 1u);
        EXPECT_EQ(desk.messages[0].text, "error: source 1 cannot take a value: its ValueFrom in Settings does not "
                                         "read: control # needs the control ID after it. Mend it in Settings.");
        EXPECT_EQ(desk.log, (Log{"clear", "message:" + desk.messages[0].text})) << "nothing asked of the window";
        EXPECT_EQ(capture.report().why, "ValueFrom in Settings does not read");
    }
}

TEST_F(GrabTest, WithoutAFieldNothingIsCaptured) {
    desk.AddWindow("Orders", {"ACME"}).selection = "ACME";
    EXPECT_THROW(link.Grab(), Error);
    EXPECT_TRUE(desk.log.empty());
}

}  // namespace
}  // namespace kestrel
