// The source's focused edit control read across processes by the real
// TextControls, and the capture built on it: the text a copy would give, no
// key typed into the control, its selection left alone; every other control
// still copies through the keys.
#include <cstdio>

#include "app/application.h"
#include "capture/text_capture.h"
#include "capture/window_choice.h"
#include "fixtures/chord.h"
#include "fixtures/controls_app.h"
#include "win/sample_program.h"

namespace kestrel::wintest {
namespace {

using Kind = platform::ControlText::Kind;
using fixtures::kCustomText, fixtures::kDerivedEdit, fixtures::kPasswordEdit, fixtures::kPlainEdit,
    fixtures::kRichEdit, fixtures::kRichEdit10, fixtures::kWrappedEdit;

const wchar_t* kTitle = L"Claims Entry";

// The test program of controls_app.cpp, its window found and ready.
class ControlsApp {
public:
    explicit ControlsApp(const std::wstring& args)
        : process_(L"\"" + ProgramDir() + L"\\" KESTREL_CONTROLS_APP L"\" --title \"" + kTitle + L"\" " + args) {
        const bool ready = WaitFor([&] {
            window_ = FindWindowW(L"KestrelControlsApp", kTitle);
            return window_ && GetDlgItem(window_, fixtures::kKeyCount);
        });
        if (!ready) throw Error("the test controls program did not open its window");
        WaitForInputIdle(process_.handle(), Scaled(2000));
    }
    HWND window() const { return window_; }
    std::pair<DWORD, DWORD> Selection(int control) const {
        DWORD start = 0, end = 0;
        SendMessageW(GetDlgItem(window_, control), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        return {start, end};
    }
    // The key messages its controls received.
    int Keys() const {
        wchar_t count[16] = L"";
        GetWindowTextW(GetDlgItem(window_, fixtures::kKeyCount), count, 16);
        return _wtoi(count);
    }

private:
    Process process_;
    HWND window_ = nullptr;
};

// A control in focus, its text and selection, and what a copy gives there.
struct ControlCase {
    const char* what;
    const wchar_t* args;
    int control;
    Kind kind;           // what the control tells
    const char* copied;  // what a copy gives: Ctrl+C, or with only a caret Home, Shift+End, Ctrl+C
};

#define KESTREL_LINES L"--text \"ACME Ltd\\nAccount 12345\\nLast line\" "
const ControlCase kCases[] = {
    {"an edit's selection", L"--focus plain " KESTREL_LINES L"--select 18 23", kPlainEdit, Kind::Text, "12345"},
    {"an edit's selection across lines", L"--focus plain " KESTREL_LINES L"--select 5 17", kPlainEdit, Kind::Text,
     "Ltd\r\nAccount"},
    {"an edit's caret line", L"--focus plain " KESTREL_LINES L"--caret 13", kPlainEdit, Kind::Text, "Account 12345"},
    {"an edit's caret at the end", L"--focus plain " KESTREL_LINES L"--caret 34", kPlainEdit, Kind::Text,
     "Last line"},
    {"an edit's empty line", L"--focus plain --text \"one\\n\\nthree\" --caret 5", kPlainEdit, Kind::Text, ""},
    {"a word-wrapped edit's visual line", L"--focus wrapped --text \"1111111111 2222222222 3333333333\" --caret 14",
     kWrappedEdit, Kind::Text, "2222222222 "},
    {"a rich edit's selection on a later line", L"--focus rich " KESTREL_LINES L"--select 17 22", kRichEdit,
     Kind::Text, "12345"},
    {"a rich edit's selection across lines", L"--focus rich " KESTREL_LINES L"--select 5 16", kRichEdit, Kind::Text,
     "Ltd\r\nAccount"},
    {"a rich edit's caret line", L"--focus rich " KESTREL_LINES L"--caret 12", kRichEdit, Kind::Text,
     "Account 12345"},
    {"a rich edit's last line", L"--focus rich " KESTREL_LINES L"--caret 27", kRichEdit, Kind::Text, "Last line"},
    {"a rich edit wholly selected", L"--focus rich " KESTREL_LINES L"--select 0 -1", kRichEdit, Kind::Text,
     "ACME Ltd\r\nAccount 12345\r\nLast line"},
    {"a rich edit's non-ASCII line", L"--focus rich --text \"Gr\x00FC\x00DF" L"e\\n\x6771\x4EAC Ost\" --caret 8",
     kRichEdit, Kind::Text, "東京 Ost"},
    {"a rich edit 1.0 selection across lines", L"--focus rich10 " KESTREL_LINES L"--select 5 17", kRichEdit10,
     Kind::Text, "Ltd\r\nAccount"},
    {"a rich edit 1.0 caret line", L"--focus rich10 " KESTREL_LINES L"--caret 27", kRichEdit10, Kind::Text,
     "Last line"},
    {"a password box", L"--focus password --text \"secret\" --select 0 6", kPasswordEdit, Kind::Password, ""},
    {"a control drawing its own text, selected", L"--focus custom " KESTREL_LINES L"--select 18 23", kCustomText,
     Kind::NotAnEdit, "12345"},
    {"a control drawing its own text, caret", L"--focus custom " KESTREL_LINES L"--caret 13", kCustomText,
     Kind::NotAnEdit, "Account 12345"},
};
#undef KESTREL_LINES

bool IsEdit(const ControlCase& c) { return c.control != kCustomText; }

// Answers like a control that is no edit, so that the capture takes the keys.
class NoEditControls final : public platform::TextControls {
public:
    platform::ControlText ReadFocused(platform::WindowId, const platform::ControlClasses&) override { return {Kind::NotAnEdit, {}}; }
    platform::ControlText ReadWhole(platform::WindowId, platform::ControlKind) override { return {Kind::NotAnEdit, {}}; }
};

class TextControlsWinTest : public WinTest {
protected:
    platform::WindowId BringForward(const ControlsApp& app) {
        const auto window = ActivateByTitle(services.desktop, Utf8(kTitle));
        EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == app.window(); }, 2000));
        return window;
    }
    static ULONGLONG Now() { return GetTickCount64(); }

    TextCapture capture{{services.clipboard, services.events, services.desktop, services.keyboard,
                         services.messageBoxes, services.textControls, services.consoles, services.listControls}};
};

TEST_F(TextControlsWinTest, TheFocusedControlTellsWhatACopyWouldGiveAndIsLeftAlone) {
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        ControlsApp app(c.args);
        const auto window = BringForward(app);
        const auto before = app.Selection(c.control);
        const auto answer = services.textControls.ReadFocused(window, platform::ControlClasses());
        EXPECT_EQ(answer.kind, c.kind);
        EXPECT_EQ(answer.text, c.kind == Kind::Text ? c.copied : "");
        if (IsEdit(c)) {
            EXPECT_EQ(app.Selection(c.control), before) << "the selection and caret stay";
        }
        EXPECT_EQ(app.Keys(), 0) << "nothing is typed to find out";
    }
}

TEST_F(TextControlsWinTest, TheCaptureReturnsTheValueAndLeavesItOnTheClipboard) {
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        ControlsApp app(c.args);
        services.clipboard.SetText("from before");
        MessageBoxWatcher boxes;
        const auto before = app.Selection(c.control);
        EXPECT_EQ(capture.Capture(Utf8(kTitle)), c.copied);
        EXPECT_EQ(services.clipboard.Text(), c.copied) << "as a copy would have left it";
        if (IsEdit(c)) {
            EXPECT_EQ(app.Keys(), 0) << "no key reached the edit";
            EXPECT_EQ(app.Selection(c.control), before);
        } else {
            EXPECT_GT(app.Keys(), 0) << "the other control copied through the keys";
        }
        EXPECT_TRUE(boxes.Texts().empty());
    }
}

// The keys typed into the same edit copy the same text (the benchmark times
// both routes).
TEST_F(TextControlsWinTest, TheKeysWouldHaveCopiedTheSameText) {
    NoEditControls noEdits;
    TextCapture keysOnly{{services.clipboard, services.events, services.desktop, services.keyboard,
                          services.messageBoxes, noEdits, services.consoles, services.listControls}};
    for (const auto& c : kCases) {
        if (c.kind != Kind::Text) continue;
        SCOPED_TRACE(c.what);
        ControlsApp app(c.args);
        const auto read = capture.Capture(Utf8(kTitle));
        const auto typed = keysOnly.Capture(Utf8(kTitle));
        EXPECT_EQ(read, typed);
        EXPECT_GT(app.Keys(), 0) << "the keys did reach the control";
    }
}

// Each runtime's superclasses of the edits, under its own class names, are
// read as the system's own are; a rich edit's offsets come out right whether
// it is 1.0 or later, which its class does not tell.
TEST_F(TextControlsWinTest, EachFamilysEditsAreReadAsTheSystemsAre) {
    std::vector<const ControlCase*> cases;
    for (const auto& c : kCases)
        for (const char* what : {"an edit's selection across lines", "a rich edit's selection across lines",
                                 "a rich edit 1.0 selection across lines", "a password box"})
            if (std::string(c.what) == what) cases.push_back(&c);
    ASSERT_EQ(cases.size(), 4u);
    for (const wchar_t* family : {L"vb6", L"delphi", L"winforms", L"atl"}) {
        for (const auto* c : cases) {
            SCOPED_TRACE(Utf8(family) + ": " + c->what);
            ControlsApp app(std::wstring(c->args) + L" --family " + family);
            const auto window = BringForward(app);
            const auto before = app.Selection(c->control);
            const auto answer = services.textControls.ReadFocused(window, platform::ControlClasses());
            EXPECT_EQ(answer.kind, c->kind);
            EXPECT_EQ(answer.text, c->kind == Kind::Text ? c->copied : "");
            EXPECT_EQ(app.Selection(c->control), before) << "the selection and caret stay";
            EXPECT_EQ(app.Keys(), 0) << "nothing is typed to find out";
        }
    }
}

// PuTTY hosted in a session manager's window: the focused control's class
// makes it a terminal, which gets no key.
TEST_F(TextControlsWinTest, APuTTYWindowInsideAnotherProgramsWindowGetsNoKey) {
    ControlsApp app(L"--focus putty --text \"$ ledger\"");
    MessageBoxWatcher boxes;
    EXPECT_FALSE(capture.Capture(Utf8(kTitle)));
    ASSERT_TRUE(WaitFor([&] { return boxes.Texts().size() == 1; }));
    EXPECT_EQ(boxes.Texts()[0], "error: nothing is selected in PuTTY. Select the value there, then press the hotkey again.");
    EXPECT_EQ(std::string(capture.report().route), "terminal");
    EXPECT_EQ(app.Keys(), 0);
}

TEST_F(TextControlsWinTest, AnEditThatDoesNotAnswerInTimeSaysSo) {
    constexpr int kAnswerMs = 4000;
    ControlsApp app(L"--focus plain --text \"ACME Ltd\" --select 0 4 --slow-answer " + std::to_wstring(kAnswerMs));
    const auto window = BringForward(app);
    const auto start = Now();
    EXPECT_EQ(services.textControls.ReadFocused(window, platform::ControlClasses()).kind, Kind::NoAnswer);
    EXPECT_LT(Now() - start, static_cast<ULONGLONG>(kAnswerMs)) << "it did not wait for the answer";
}

TEST_F(TextControlsWinTest, AnEditOfTheProgramsOwnClassGivesItsLineByOneRouteOrTheOther) {
    // On Windows its real class is the edit's; Wine names the program's own class.
    ControlsApp app(L"--focus derived --text \"one\\ntwo\" --caret 6");
    EXPECT_EQ(capture.Capture(Utf8(kTitle)), "two");
}

// The hotkey's whole path, from the press to the script runner's start, with
// an edit control and with a control that needs the keys.
class TextControlsHotKeyWinTest : public SampleProgramWinTest {
protected:
    TextControlsHotKeyWinTest() : SampleProgramWinTest(Utf8(kTitle), "Account") {}
};

TEST_F(TextControlsHotKeyWinTest, APressStartsTheSearchByEitherRoute) {
    const struct {
        const char* what;
        const wchar_t* args;
    } cases[] = {
        {"edit, selection", L"--focus plain --text \"ACME Ltd\\nAccount 12345\" --select 18 23"},
        {"edit, caret", L"--focus plain --text \"ACME Ltd\\n12345\" --caret 12"},
        {"keys, selection", L"--focus custom --text \"ACME Ltd\\nAccount 12345\" --select 18 23"},
        {"keys, caret", L"--focus custom --text \"ACME Ltd\\n12345\" --caret 12"},
    };
    program.Start();
    ASSERT_TRUE(program.hotKey() && program.hotKey()->Registered());
    std::size_t runs = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ControlsApp app(c.args);
        ASSERT_TRUE(fixtures::PressChord({VK_CONTROL, VK_SHIFT, VK_F11}));
        const auto calls = InstalledRunner::WaitForCalls(++runs);
        ASSERT_EQ(calls.size(), runs);
        EXPECT_EQ(calls.back().commandLine,
                  "\"C:\\program files\\tamarind\\scripts\\halyard.exe\" Index=Claims;Criteria=Account='12345'");
        CloseWindowsTitled(L"Document Center");
    }
}

}  // namespace
}  // namespace kestrel::wintest
