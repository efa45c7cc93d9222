// A character-mode program in Wine's console window, as line-of-business
// programs still run: the hotkey's value comes from the console's buffer,
// found by a title pattern, and the program gets no key and no interrupt.
// And a window of a terminal emulator's class, which gets its own copy
// command and never a line key.
#include <windows.h>

#include <tlhelp32.h>

#include <cstdlib>

#include "app/application.h"
#include "capture/text_capture.h"
#include "fixtures/chord.h"
#include "settings/settings.h"
#include "win/program_support.h"
#include "win/sample_program.h"

namespace kestrel::wintest {
namespace {

bool ProcessRuns(const wchar_t* file) {
    win32::FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry))
        if (lstrcmpiW(entry.szExeFile, file) == 0) return true;
    return false;
}

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
    ASSERT_TRUE(fixtures::PressChord({VK_CONTROL, VK_SHIFT, VK_F11}));
    const auto calls = InstalledRunner::WaitForCalls(1);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].commandLine,
              "\"C:\\program files\\tamarind\\scripts\\halyard.exe\" Index=Claims;Criteria=CustomerNo='100234'");
    EXPECT_EQ(services.clipboard.Text(), "100234") << "the value is on the clipboard, as a copy leaves it";
    Pump(300);  // time for a key or an event sent late to arrive
    EXPECT_EQ(console.Events(), "ready\n") << "no key, no Ctrl+C, no control event";
    EXPECT_TRUE(IsWindow(console.window())) << "the program still runs";
    CloseWindowsTitled(L"Document Center");
}

// The program users run, on a console whose program sends Ctrl+C and
// Ctrl+Break to every program of its console whenever one joins: each press
// gives the value or says the console could not be read, and the program
// lives on. Its reader, ended by them, comes back for the next press.
class ConsoleProgramWinTest : public ProgramWinTest {};

TEST_F(ConsoleProgramWinTest, InterruptsWhileAConsoleIsReadEndOnlyTheRead) {
    // Wine 10 ends the console's own program with its console when these
    // events go out while a windowed program is attached, before any read.
    using WineVersion = const char*(CDECL*)();
    const auto version = reinterpret_cast<WineVersion>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")));
    if (version && std::atoi(version()) >= 10) GTEST_SKIP() << "Wine " << version() << " ends the console itself";
    Settings({{L"SourceWindow", L"* Record - ACME Ledger"}, {L"AppName", L"Claims"}, {L"Field", L"CustomerNo"},
              {L"Hotkey", L"122"}, {L"HotKeyShift", L"3"}});
    Start();
    ASSERT_TRUE(WaitFor([&] { return IconShown(Main()); }));
    MessageBoxWatcher boxes(Pid());
    std::size_t presses = 0;
    // Each press ends in the runner's start or a message box, gone before the next.
    const auto press = [&] {
        ++presses;
        ASSERT_TRUE(fixtures::PressChord({VK_CONTROL, VK_SHIFT, VK_F11}));
        const bool answered = WaitFor([&] {
            return InstalledRunner::Calls().size() + boxes.Texts().size() == presses &&
                   !WindowOf(Pid(), L"", L"#32770");
        });
        ASSERT_EQ(WaitForSingleObject(program_->handle(), 0), WAIT_TIMEOUT) << "the program ended at press " << presses;
        ASSERT_TRUE(answered) << "press " << presses;
    };
    {
        ConsoleApp console(L"Interrupted Record - ACME Ledger", L"--interrupt");
        while (presses < 20 && !HasFatalFailure()) press();
    }
    if (HasFatalFailure()) return;
    for (const auto& text : boxes.Texts())
        EXPECT_EQ(text, "error: the console window could not be read. Press the hotkey again in a moment.");
    ConsoleApp console(L"Quiet Record - ACME Ledger");
    const auto before = InstalledRunner::Calls().size();
    press();
    const auto calls = InstalledRunner::Calls();
    EXPECT_EQ(calls.size(), before + 1) << "a reader reads the quiet console";
    for (const auto& call : calls) EXPECT_EQ(call.commandLine, kRunner + " Index=Claims;Criteria=CustomerNo='100234'");
    CloseWindowsTitled(L"Document Center");
}

// A reader that never answers (the source program stands in for one)
// holds a read no longer than its bound, and is ended for it.
TEST_F(ConsoleWinTest, AReaderThatNeverAnswersIsEndedAndTheConsoleIsUnreadable) {
    ConsoleApp console(kTitle);
    win32::Consoles consoles(ProgramDir() + L"\\" KESTREL_SOURCE_APP);
    EXPECT_EQ(consoles.Read(reinterpret_cast<platform::WindowId>(console.window())).kind,
              platform::ConsoleText::Kind::Unreadable);
    EXPECT_TRUE(WaitFor([] { return !ProcessRuns(L"" KESTREL_SOURCE_APP); })) << "the reader was ended";
}

// Windows of Windows Terminal's and mintty's classes stand in for the
// terminals: they get no key at all (Windows Terminal passes even its copy
// chords on as Ctrl+C with nothing selected), and what the terminal copied of
// its selection since the last press is the value.
class TerminalWinTest : public WinTest {};

TEST_F(TerminalWinTest, ATerminalGetsNoKeyAndOnlyItsOwnCopyIsTaken) {
    TextCapture capture{{services.clipboard, services.events, services.desktop, services.keyboard,
                         services.messageBoxes, services.textControls, services.consoles, services.listControls}};
    const std::pair<const wchar_t*, const char*> terminals[] = {{L"CASCADIA_HOSTING_WINDOW_CLASS", "Windows Terminal"},
                                                                {L"mintty", "mintty"}};
    for (const auto& [className, name] : terminals) {
        const auto keys = FreshTempFile(L"kestrel-terminal-keys.log");
        const std::wstring common = std::wstring(L"--keys-only --class ") + className + L" --log \"" + keys +
                                    L"\" --text \"$ ledger\\n100234\"";
        {
            SourceApp terminal(L"user@ledger: ~", common + L" --select 10 16 --copy-selection");
            ASSERT_TRUE(WaitFor([&] { return services.clipboard.Text() == "100234"; })) << "the terminal copied";
            EXPECT_EQ(capture.Capture("user@ledger: ~"), "100234") << name;
            EXPECT_EQ(capture.report().route, std::string("terminal")) << name;
        }
        SourceApp terminal(L"user@ledger: ~", common + L" --caret 12");
        MessageBoxWatcher boxes;
        EXPECT_EQ(capture.Capture("user@ledger: ~"), std::nullopt) << name;
        ASSERT_TRUE(WaitFor([&] { return boxes.Texts().size() == 1; })) << name;
        EXPECT_EQ(boxes.Texts()[0].rfind(std::string("error: nothing is selected in ") + name + ".", 0), 0u)
            << boxes.Texts()[0];
        Pump(200);  // time for a key sent late to arrive
        EXPECT_EQ(terminal.Selection(), std::make_pair(DWORD{12}, DWORD{12})) << name << ": the caret stays";
        EXPECT_EQ(ReadBytes(keys).find("key"), std::string::npos) << name << ": no key reached it";
    }
}

}  // namespace
}  // namespace kestrel::wintest
