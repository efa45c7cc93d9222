// A character-mode program in Wine's console window, as line-of-business
// programs still run: the hotkey's value comes from the console's buffer,
// found by a title pattern, and the program gets no key and no interrupt.
// And a window of a terminal emulator's class, which gets its own copy
// command and never a line key.
#include "app/application.h"
#include "capture/text_capture.h"
#include "fixtures/chord.h"
#include "settings/settings.h"
#include "win/sample_program.h"

namespace kestrel::wintest {
namespace {

const wchar_t* kTitle = L"Customer Record 100234 - ACME Ledger";

class ConsoleWinTest : public SampleProgramWinTest {
protected:
    // The record's number varies.
    ConsoleWinTest() : SampleProgramWinTest("customer record * - acme ledger", "CustomerNo") {}
};

TEST_F(ConsoleWinTest, TheCursorsLineReachesTheRunnerAndTheProgramGetsNoKeyNorInterrupt) {
    ConsoleApp console(kTitle);
    // The user is in another program when they press the hotkey, so its own
    // keys go there, and Kestrel brings the console forward.
    SourceApp other(L"Mail", L"--text \"inbox\"");
    SetForegroundWindow(other.window());
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == other.window(); }, 2000));
    program.Start();
    ASSERT_TRUE(program.hotKey() && program.hotKey()->Registered());
    const auto start = GetTickCount64();
    ASSERT_TRUE(fixtures::PressChord({VK_CONTROL, VK_SHIFT, VK_F11}));
    const auto calls = InstalledRunner::WaitForCalls(1);
    const auto pressToRunnerMs = GetTickCount64() - start;
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].commandLine,
              "\"C:\\program files\\tamarind\\scripts\\halyard.exe\" Index=Claims;Criteria=CustomerNo='100234'");
    std::printf("[ timing ] press to runner, console       %4llu ms\n", pressToRunnerMs);
    EXPECT_EQ(services.clipboard.Text(), "100234") << "the value is on the clipboard, as a copy leaves it";
    Pump(300);  // time for a key or an event sent late to arrive
    EXPECT_EQ(console.Events(), "ready\n") << "no key, no Ctrl+C, no control event";
    EXPECT_TRUE(IsWindow(console.window())) << "the program still runs";
    CloseWindowsTitled(L"Document Center");
}

// Windows of mintty's class stand in for the terminal: its copy command is
// Ctrl+Insert, which the stand-in's text box takes as a copy too.
class TerminalWinTest : public WinTest {};

TEST_F(TerminalWinTest, ATerminalsWindowGetsItsCopyCommandAndNoLineKeys) {
    TextCapture capture{{services.clipboard, services.events, services.desktop, services.keyboard,
                         services.messageBoxes, services.textControls, services.consoles}};
    {
        SourceApp terminal(L"user@ledger: ~", L"--class mintty --keys-only --text \"$ ledger\\n100234\" --select 10 16");
        EXPECT_EQ(capture.Capture("user@ledger: ~"), "100234");
        EXPECT_EQ(capture.report().route, std::string("terminal"));
    }
    SourceApp terminal(L"user@ledger: ~", L"--class mintty --keys-only --text \"$ ledger\\n100234\" --caret 12");
    MessageBoxWatcher boxes;
    EXPECT_EQ(capture.Capture("user@ledger: ~"), std::nullopt);
    ASSERT_TRUE(WaitFor([&] { return boxes.Texts().size() == 1; }));
    EXPECT_EQ(boxes.Texts()[0],
              "error: nothing is selected in mintty. Select the value there, then press the hotkey again.");
    EXPECT_EQ(terminal.Selection(), std::make_pair(DWORD{12}, DWORD{12})) << "no Home, no Shift+End: the caret stays";
}

}  // namespace
}  // namespace kestrel::wintest
