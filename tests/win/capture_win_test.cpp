#include "capture/text_capture.h"
#include "win/win_support.h"

namespace kestrel::wintest {
namespace {

class CaptureWinTest : public WinTest {
protected:
    std::optional<std::string> Capture(const std::string& title) { return capture.Capture(title); }

    TextCapture capture{{services.clipboard, services.events, services.desktop, services.keyboard,
                         services.messageBoxes, services.textControls, services.consoles, services.listControls}};
};

TEST_F(CaptureWinTest, CopiesTheSelection) {
    SourceApp app(L"Orders - ACME", L"--text \"ACME Ltd\\nAccount 12345\" --select 18 23");
    MessageBoxWatcher boxes;
    EXPECT_EQ(Capture("Orders - ACME"), "12345");
    EXPECT_EQ(GetForegroundWindow(), app.window());
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(CaptureWinTest, WithoutASelectionTakesTheCaretsLineAndLeavesTheCaretAlone) {
    SourceApp app(L"Orders - ACME", L"--text \"ACME Ltd\\nAccount 12345\\nLast line\" --caret 13");
    EXPECT_EQ(Capture("Orders - ACME"), "Account 12345");
    EXPECT_EQ(app.Selection(), (std::pair<DWORD, DWORD>{13, 13})) << "an edit control is read, not typed into";
}

TEST_F(CaptureWinTest, WaitsForASourceThatAnswersLate) {
    SourceApp app(L"Slow Orders", L"--text \"first\\nsecond line\" --select 0 5 --copy-delay 150 --keys-only");
    EXPECT_EQ(Capture("Slow Orders"), "first");
    EXPECT_EQ(app.Selection(), (std::pair<DWORD, DWORD>{0, 5})) << "the selection was not replaced by the fallback";
}

TEST_F(CaptureWinTest, ALateCopyIsWaitedForAfterPromptOnesAndFromARemoteDesktop) {
    struct Row {
        const wchar_t* lateness;
        const char* what;
    };
    const Row rows[] = {
        {L"--busy-from-copy 2 300", "a source busy on its second copy"},
        {L"--copy-delay 300", "a source whose copies always land late"},
    };
    for (const auto& row : rows) {
        SourceApp app(L"Slow Orders", std::wstring(L"--text \"first\\nsecond line\" --select 0 5 --keys-only ") +
                                          row.lateness);
        for (int press = 1; press <= 2; ++press) {
            EXPECT_EQ(Capture("Slow Orders"), "first") << row.what << ", press " << press;
            EXPECT_EQ(app.Selection(), (std::pair<DWORD, DWORD>{0, 5})) << row.what << ": no fallback, press " << press;
        }
    }
}

TEST_F(CaptureWinTest, ATitleThatMatchesNoWindowIsReported) {
    MessageBoxWatcher boxes;
    EXPECT_EQ(Capture("No Such Window 4711"), std::nullopt);
    ASSERT_EQ(boxes.Texts(), std::vector<std::string>{"error activating: 'No Such Window 4711' window."});
    EXPECT_EQ(boxes.Captions(), std::vector<std::string>{"Kestrel"});
}

TEST_F(CaptureWinTest, AVisibleWindowWhoseTitleBeginsWithTheTextBeatsAHiddenExactOne) {
    SourceApp hidden(L"Ledger", L"--text \"hidden one\" --select 0 6 --hidden");
    SourceApp shown(L"Ledger - Main", L"--text \"visible one\" --select 0 7");
    EXPECT_EQ(Capture("Ledger"), "visible");
}

TEST_F(CaptureWinTest, NonAsciiTextAndTitlesSurvive) {
    SourceApp app(L"Kunden \x2013 Gr\x00FC\x00DF" L"e", L"--text \"Gr\x00FC\x00DF" L"e \x6771\x4EAC\" --select 0 8");
    EXPECT_EQ(Capture("Kunden \u2013 Grüße"), "Grüße 東京");
}

TEST_F(CaptureWinTest, AWindowBehindAnotherIsBroughtToTheFront) {
    SourceApp back(L"Back Office", L"--text \"behind\" --select 0 6");
    SourceApp front(L"Front Desk", L"--text \"in front\" --select 0 8");
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == front.window(); }, 2000));
    EXPECT_EQ(Capture("Back Office"), "behind");
    EXPECT_EQ(GetForegroundWindow(), back.window());
}

}  // namespace
}  // namespace kestrel::wintest
