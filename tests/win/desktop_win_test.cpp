// Other programs' windows brought to the front by the real desktop: past a
// program that no longer answers, and to the dialog a window waits behind.
#include <atomic>

#include "capture/text_capture.h"
#include "capture/window_choice.h"
#include "win/win_support.h"

namespace kestrel::wintest {
namespace {

class DesktopWinTest : public WinTest {
protected:
    static bool Answers(HWND hwnd) {
        DWORD_PTR ignored = 0;
        return SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 50, &ignored) != 0;
    }
    static HWND DialogOf(const SourceApp& app) {
        HWND dialog = nullptr;
        WaitFor([&] { return (dialog = GetLastActivePopup(app.window())) != app.window(); }, 2000);
        return dialog;
    }
    static bool InFrontSoon(HWND hwnd) {
        SetForegroundWindow(hwnd);
        return WaitFor([&] { return GetForegroundWindow() == hwnd; }, 2000);
    }
};

TEST_F(DesktopWinTest, ActivationDoesNotWaitOnAForegroundProgramThatDoesNotAnswer) {
    SourceApp target(L"Claims Ledger", L"--text \"ledger\"");
    SourceApp stuck(L"Stuck Program", L"--text \"stuck\" --hang-after 200");
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == stuck.window(); }, 2000));
    ASSERT_TRUE(WaitFor([&] { return !Answers(stuck.window()); }, 3000)) << "the fixture did not stop answering";
    EXPECT_FALSE(services.desktop.WaitUntilAnswered(reinterpret_cast<platform::WindowId>(stuck.window()), 100));
    EXPECT_TRUE(services.desktop.WaitUntilAnswered(reinterpret_cast<platform::WindowId>(target.window()), 100));
    // On a thread of its own, so that a hang fails the test instead of stopping the suite.
    std::atomic<bool> returned{false};
    test::Thread activation([&] {
        ActivateByTitle(services.desktop, "Claims Ledger");
        returned = true;
    });
    const bool prompt = WaitFor([&] { return returned.load(); }, 700);
    TerminateProcess(stuck.process(), 1);  // it would never close; and a waiting activation goes on
    activation.join();
    EXPECT_TRUE(prompt) << "the activation waited on the program that does not answer";
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == target.window(); }, 2000));
}

TEST_F(DesktopWinTest, AWindowBehindItsOwnModalDialogIsCapturedFromTheDialog) {
    SourceApp app(L"Claims Entry", L"--text \"main window\" --select 0 4 --modal-text \"dialog value\"");
    const HWND dialog = DialogOf(app);
    ASSERT_NE(dialog, app.window());
    SourceApp front(L"Front Desk", L"--text \"in front\" --select 0 8");
    ASSERT_TRUE(InFrontSoon(front.window()));
    TextCapture capture{{services.clipboard, services.events, services.desktop, services.keyboard,
                         services.messageBoxes, services.textControls, services.consoles, services.listControls}};
    MessageBoxWatcher boxes;
    EXPECT_EQ(capture.Capture("Claims Entry"), "dialog value");
    EXPECT_EQ(GetForegroundWindow(), dialog);
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(DesktopWinTest, AWindowIsInFrontWhenItOrItsOwnDialogIs) {
    SourceApp app(L"Claims Entry", L"--text \"main window\" --modal-text \"dialog value\"");
    SourceApp other(L"Front Desk", L"--text \"in front\"");
    const HWND dialog = DialogOf(app);
    ASSERT_NE(dialog, app.window());
    struct Row {
        HWND front, asked;
        bool inFront;
    };
    const std::vector<Row> rows = {
        {dialog, app.window(), true},
        {dialog, other.window(), false},
        {other.window(), other.window(), true},
        {other.window(), app.window(), false},
        {other.window(), dialog, false},
    };
    for (const auto& row : rows) {
        const auto line = &row - rows.data();
        ASSERT_TRUE(InFrontSoon(row.front)) << line;
        EXPECT_EQ(services.desktop.IsInFront(reinterpret_cast<platform::WindowId>(row.asked)), row.inFront) << line;
    }
}

// A record carried in the title is found by pattern, past windows that only
// begin alike; and a window is told by its title, class and program.
TEST_F(DesktopWinTest, APatternFindsTheWindowWhoseTitleHoldsTheRecordAndItIsDescribed) {
    SourceApp list(L"Invoice list - ACME ERP", L"--text \"list\"");
    SourceApp invoice(L"Invoice 4711 - ACME ERP", L"--text \"ACME Ltd\\n4711\" --select 10 14");
    const auto found = ActivateByTitle(services.desktop, "invoice ???? - acme erp");
    EXPECT_EQ(reinterpret_cast<HWND>(found), invoice.window());
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == invoice.window(); }, 2000));
    const auto facts = services.desktop.Describe(found);
    EXPECT_EQ(facts.title, "Invoice 4711 - ACME ERP");
    EXPECT_EQ(facts.className, "KestrelTestSource");
    EXPECT_EQ(_stricmp(facts.program.c_str(), KESTREL_SOURCE_APP), 0) << facts.program;
    EXPECT_THROW(ActivateByTitle(services.desktop, "Invoice * - ACME CRM"), Error) << "the whole title must match";

    // Whose copy the clipboard holds: the source's own, then this program's.
    Chord({VK_CONTROL, 'C'});
    ASSERT_TRUE(WaitFor([&] { return services.clipboard.Text() == "4711"; }, 2000));
    using Copier = platform::Clipboard::Copier;
    EXPECT_EQ(services.clipboard.CopiedBy(found), Copier::WindowsProgram);
    EXPECT_EQ(services.clipboard.CopiedBy(reinterpret_cast<platform::WindowId>(list.window())), Copier::AnotherProgram);
    services.clipboard.SetText("ours");
    EXPECT_EQ(services.clipboard.CopiedBy(found), Copier::AnotherProgram);
    // A program that opens the clipboard without a window.
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    EXPECT_EQ(services.clipboard.CopiedBy(found), Copier::NoWindow);
}

}  // namespace
}  // namespace kestrel::wintest
