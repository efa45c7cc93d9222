// Sources that name where their value is: a field of a form read by control
// ID or by class, and the window's title through a value pattern, from the
// real program while the user's focus and caret are in another field and
// another program is in front. No key reaches the form, nothing moves.
#include "capture/text_capture.h"
#include "capture/value_from.h"
#include "capture/value_pattern.h"
#include "fixtures/form_app.h"
#include "win/win_support.h"

namespace kestrel::wintest {
namespace {

using namespace fixtures;

// The test program of form_app.cpp, its window found and ready.
class FormApp {
public:
    explicit FormApp(const std::wstring& title)
        : process_(L"\"" + ProgramDir() + L"\\" KESTREL_FORM_APP L"\" --title \"" + title + L"\"") {
        const bool ready = WaitFor([&] {
            window_ = FindWindowW(L"KestrelFormApp", title.c_str());
            return window_ && GetDlgItem(window_, kFormKeys);
        });
        if (!ready)
            throw Error("the test form program did not open its window");
        WaitForInputIdle(process_.handle(), Scaled(2000));
    }
    HWND window() const { return window_; }
    int Keys() const {
        wchar_t count[16] = L"";
        GetWindowTextW(GetDlgItem(window_, kFormKeys), count, 16);
        return _wtoi(count);
    }
    // The field with the focus in its thread, and the caret of the notes.
    std::pair<HWND, unsigned long> FocusAndCaret() const {
        GUITHREADINFO gui{};
        gui.cbSize = sizeof gui;
        GetGUIThreadInfo(GetWindowThreadProcessId(window_, nullptr), &gui);
        DWORD start = 0, end = 0;
        SendMessageW(GetDlgItem(window_, kNotes), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        return {gui.hwndFocus, start == end ? start : ~0u};
    }

private:
    Process process_;
    HWND window_ = nullptr;
};

class ValueFromWinTest : public WinTest {
protected:
    TextCapture capture{{services.clipboard, services.events, services.desktop, services.keyboard,
                         services.messageBoxes, services.textControls, services.consoles, services.listControls}};
};

TEST_F(ValueFromWinTest, TheNamedFieldOrTheTitleIsReadWithNoKeyAndNothingMoves) {
    FormApp form(L"Invoice 4711 - ACME ERP");
    const auto notes = std::pair(GetDlgItem(form.window(), kNotes), 13ul);
    ASSERT_EQ(form.FocusAndCaret(), notes);
    FormApp front(L"Mail - Inbox");  // another program in front
    SetForegroundWindow(front.window());
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == front.window(); }, 2000));
    // Behind, as the system reports it there.
    const auto focus = form.FocusAndCaret();
    const struct {
        const char* from;
        const char* pattern;
        std::string value;  // or the message's start, when `failed`
        bool failed;
    } cases[] = {
        {"control #1001", "", "4711", false},
        {"control #1002", "", "ACME Ltd", false},
        {"control edit 2", "", "ACME Ltd", false},  // the labels are static texts
        {"control EDIT 1", "", "4711", false},
        {"control static 3", "", "Notes", false},
        {"title", "Invoice (\\d+)", "4711", false},
        {"control #1005", "", "paid", false},
        {"control list box 1", "", "paid", false},
        {"control #1004", "", "error: the field control #1004 in 'Invoice * - ACME ERP' is a password box", true},
        {"control #2001", "", "error: the field control #2001 was not found in 'Invoice * - ACME ERP'.", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.from);
        services.clipboard.SetText("from before");
        MessageBoxWatcher boxes;
        auto text = capture.Capture("Invoice * - ACME ERP", {}, ParseValueFrom(c.from));
        if (text && *c.pattern) text = ValuePattern(c.pattern).Find(*text);
        if (c.failed) {
            EXPECT_FALSE(text);
            ASSERT_TRUE(WaitFor([&] { return !boxes.Texts().empty(); }, 2000));
            EXPECT_EQ(boxes.Texts().front().rfind(c.value, 0), 0u) << boxes.Texts().front();
        } else {
            EXPECT_EQ(text, c.value);
            EXPECT_EQ(GetForegroundWindow(), front.window()) << "the form is not brought to the front";
        }
        EXPECT_EQ(form.Keys(), 0) << "no key reached the form";
        EXPECT_EQ(form.FocusAndCaret(), focus) << "the focus and the caret stay";
    }
    SetForegroundWindow(form.window());
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == form.window(); }, 2000));
    EXPECT_TRUE(WaitFor([&] { return form.FocusAndCaret() == notes; }, 2000))
        << "back in front, the user is where they were";
}

}  // namespace
}  // namespace kestrel::wintest
