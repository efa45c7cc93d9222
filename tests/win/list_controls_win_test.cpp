// The source's focused list control read across processes by the real
// ListControls, in a program of this test's bitness and, from the 32-bit
// test, in a 64-bit one: the item the user chose, and every control's
// selection, focus and scroll position as they were, no key typed.
#include <cwchar>
#include <optional>

#include "capture/window_choice.h"
#include "fixtures/chord.h"
#include "fixtures/list_app.h"
#include "platform/win32/list_controls.h"
#include "win/sample_program.h"
#include "win/win_support.h"

namespace kestrel::wintest {
namespace {

using Kind = platform::ListText::Kind;
using Control = platform::ListText::Control;

const wchar_t* kTitle = L"Customer Lists";

// The test program of list_app.cpp at `program`, its window found and ready.
class ListApp {
public:
    ListApp(const std::wstring& program, const std::wstring& args)
        : process_(L"\"" + program + L"\" --title \"" + kTitle + L"\" " + args) {
        const bool ready = WaitFor([&] {
            window_ = FindWindowW(L"KestrelListApp", kTitle);
            return window_ && GetDlgItem(window_, fixtures::kListState);
        });
        if (!ready) throw Error("the test list program did not open its window");
        WaitForInputIdle(process_.handle(), Scaled(2000));
    }
    HWND window() const { return window_; }
    bool Running() const { return WaitForSingleObject(process_.handle(), 0) == WAIT_TIMEOUT; }
    // Every control's state as the program itself sees it; waits for a
    // program that is busy.
    std::wstring State() const {
        DWORD_PTR ignored = 0;
        if (!SendMessageTimeoutW(window_, fixtures::kReportState, 0, 0, SMTO_NORMAL, Scaled(10000), &ignored))
            return L"no answer";
        wchar_t state[512] = L"";
        GetWindowTextW(GetDlgItem(window_, fixtures::kListState), state, 512);
        return state;
    }

private:
    Process process_;
    HWND window_ = nullptr;
};

struct ListCase {
    const char* what;
    const wchar_t* args;
    const char* column;
    bool hang;  // the program's thread sleeps while it is asked
    Kind kind;
    Control control;
    const char* text;
};

const ListCase kCases[] = {
    {"a list view's focused selected row", L"--focus listview", "", false, Kind::Text, Control::ListView, "100236"},
    {"a list view's column by name, case-blind", L"--focus listview", "city", false, Kind::Text, Control::ListView,
     "Z\xC3\xBCrich"},
    {"a list view's column by another name", L"--focus listview", "NAME", false, Kind::Text, Control::ListView,
     "M\xC3\xBCller GmbH"},
    {"a list view without the column", L"--focus listview", "Postcode", false, Kind::NoSuchColumn, Control::ListView,
     ""},
    {"a list view, focused row not selected", L"--focus listview --none", "", false, Kind::NothingSelected,
     Control::ListView, ""},
    {"a list view that answers late", L"--focus listview --slow-answer 3000", "", false, Kind::NoAnswer,
     Control::ListView, ""},
    {"a list box's caret item", L"--focus listbox", "", false, Kind::Text, Control::ListBox, "Claim 1009"},
    {"a hung list box", L"--focus listbox", "", true, Kind::NoAnswer, Control::ListBox, ""},
    {"a list box with nothing selected", L"--focus listbox --none", "", false, Kind::NothingSelected, Control::ListBox,
     ""},
    {"an owner-drawn list box keeping no strings", L"--focus drawn", "", false, Kind::NoText, Control::ListBox, ""},
    {"a drop-down list's choice", L"--focus combo", "", false, Kind::Text, Control::DropDownList, "Claim"},
    {"a drop-down list with no choice", L"--focus combo --none", "", false, Kind::NothingSelected,
     Control::DropDownList, ""},
    {"a tree's selected node", L"--focus tree", "", false, Kind::Text, Control::TreeView, "York"},
    {"a hung tree", L"--focus tree", "", true, Kind::NoAnswer, Control::TreeView, ""},
    {"a tree's selected node out of view", L"--focus tree --scrolled", "", false, Kind::Text, Control::TreeView,
     "York"},
    {"a tree that answers late", L"--focus tree --slow-answer 3000", "", false, Kind::NoAnswer, Control::TreeView,
     ""},
    {"an edit", L"--focus edit", "", false, Kind::NotAList, Control::None, ""},
};

class ListControlsWinTest : public WinTest {
protected:
    // `wider`: the program is 64-bit, this test 32-bit.
    void ReadEveryCase(const std::wstring& program, bool wider = false) {
        // Where the system cannot tell a 32-bit program where a 64-bit one's
        // memory lies (Wine lacks the call), a tree node whose handle only
        // that would vouch for is never asked about.
        const bool placesWider =
            GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtWow64QueryVirtualMemory64") != nullptr;
        // Each read leaves the list as it was (which each row checks), so rows
        // that start the program alike share one: a start is seconds under emulation.
        std::optional<ListApp> app;
        const wchar_t* started = L"";
        for (const auto& c : kCases) {
            SCOPED_TRACE(c.what);
            const bool refused = wider && !placesWider && std::string(c.what) == "a tree's selected node out of view";
            if (std::wcscmp(started, c.args) != 0) {
                app.emplace(program, c.args);  // the one before has ended first
                started = c.args;
            }
            const auto window = ActivateByTitle(services.desktop, Utf8(kTitle));
            ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == app->window(); }, 2000));
            const auto before = app->State();
            if (c.hang) {
                // Hung past the read's bound of a second and a half, and no longer.
                PostMessageW(app->window(), fixtures::kHang, static_cast<WPARAM>(1500 + Scaled(1000)), 0);
                ASSERT_TRUE(WaitFor([&] {
                    DWORD_PTR ignored = 0;
                    return !SendMessageTimeoutW(app->window(), WM_NULL, 0, 0, SMTO_NORMAL, 50, &ignored);
                }));
            }
            const auto answer = services.listControls.ReadFocused(window, c.column, platform::ControlClasses());
            EXPECT_EQ(answer.kind, refused ? Kind::Unreachable : c.kind);
            EXPECT_EQ(answer.control, c.control);
            EXPECT_EQ(answer.text, refused ? "" : c.text);
            // A late answer still comes, into the memory the question gave it.
            EXPECT_EQ(app->State(), before) << "selection, focus, scroll position and keys stay";
            EXPECT_TRUE(app->Running());
        }
    }
};

TEST_F(ListControlsWinTest, TheFocusedListTellsTheChosenItemAndIsLeftAlone) {
    ReadEveryCase(ProgramDir() + L"\\" KESTREL_LIST_APP);
}

// The 32-bit program that ships reading a 64-bit program's lists, whose
// structures are laid out otherwise than its own.
TEST_F(ListControlsWinTest, The32BitProgramReadsA64BitProgramsLists) {
#ifdef KESTREL_LIST_APP_64
    if (GetFileAttributesW(KESTREL_LIST_APP_64) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "the 64-bit list program is not built: " << Utf8(KESTREL_LIST_APP_64);
    ReadEveryCase(KESTREL_LIST_APP_64, true);
#else
    GTEST_SKIP() << "for the 32-bit build";
#endif
}

// The memory a question left to a late answer stays until the list has
// answered a later question, and not for good.
TEST_F(ListControlsWinTest, MemoryLeftToALateAnswerIsFreedOnceTheListAnswersAgain) {
    ListApp app(ProgramDir() + L"\\" KESTREL_LIST_APP, L"--focus listview --slow-answer 2000");
    const auto window = ActivateByTitle(services.desktop, Utf8(kTitle));
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == app.window(); }, 2000));
    const auto kept = [&] {
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(app.window(), fixtures::kFirstSlowMemoryKept, 0, 0, SMTO_NORMAL, Scaled(10000), &answer);
        return answer;
    };
    EXPECT_EQ(services.listControls.ReadFocused(window, "", platform::ControlClasses()).kind, Kind::NoAnswer);
    EXPECT_EQ(kept(), 1u) << "there for the late answer";
    // Asked again, with the focus in its edit: no new memory, which could lie where the old did.
    SendMessageW(app.window(), fixtures::kFocusControl, fixtures::kListAppEdit, 0);
    EXPECT_EQ(services.listControls.ReadFocused(window, "", platform::ControlClasses()).kind, Kind::NotAList);
    EXPECT_EQ(kept(), 0u) << "freed once the program answered again";
}

// One block in the source's memory serves every read of its lists, and goes
// with the reader, as at Kestrel's exit.
TEST_F(ListControlsWinTest, OneBlockInTheSourceServesEveryReadAndGoesWithTheReader) {
    ListApp app(ProgramDir() + L"\\" KESTREL_LIST_APP, L"--focus listview");
    const auto window = ActivateByTitle(services.desktop, Utf8(kTitle));
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == app.window(); }, 2000));
    const auto kept = [&] {
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(app.window(), fixtures::kLastQuestionMemory, 0, 0, SMTO_NORMAL, Scaled(10000), &answer);
        return answer;
    };
    std::optional<win32::ListControls> lists(std::in_place);
    EXPECT_EQ(lists->ReadFocused(window, "", platform::ControlClasses()).kind, Kind::Text);
    const auto first = kept();
    EXPECT_NE(first, 0u) << "kept for the next read";
    SendMessageW(app.window(), fixtures::kFocusControl, fixtures::kTreeView, 0);
    EXPECT_EQ(lists->ReadFocused(window, "", platform::ControlClasses()).control, Control::TreeView);
    EXPECT_EQ(kept(), first) << "the tree was asked in the same block";
    lists.reset();
    EXPECT_EQ(kept(), 0u) << "freed with the reader";
}

// Each runtime's superclasses of the lists, under its own class names, are
// read as the system's own are.
TEST_F(ListControlsWinTest, EachFamilysListsAreReadAsTheSystemsAre) {
    const struct {
        int control;
        Kind kind;
        Control list;
        const char* text;
    } controls[] = {
        {fixtures::kListView, Kind::Text, Control::ListView, "100236"},
        {fixtures::kListBox, Kind::Text, Control::ListBox, "Claim 1009"},
        {fixtures::kDrawnListBox, Kind::NoText, Control::ListBox, ""},
        {fixtures::kDropDownList, Kind::Text, Control::DropDownList, "Claim"},
        {fixtures::kTreeView, Kind::Text, Control::TreeView, "York"},
        {fixtures::kListAppEdit, Kind::NotAList, Control::None, ""},
    };
    for (const wchar_t* family : {L"vb6", L"delphi", L"winforms", L"atl"}) {
        ListApp app(ProgramDir() + L"\\" KESTREL_LIST_APP, std::wstring(L"--family ") + family);
        const auto window = ActivateByTitle(services.desktop, Utf8(kTitle));
        ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == app.window(); }, 2000));
        for (const auto& c : controls) {
            SCOPED_TRACE(Utf8(family) + " " + std::to_string(c.control));
            SendMessageW(app.window(), fixtures::kFocusControl, static_cast<WPARAM>(c.control), 0);
            const auto before = app.State();
            const auto answer = services.listControls.ReadFocused(window, "", platform::ControlClasses());
            EXPECT_EQ(answer.kind, c.kind);
            EXPECT_EQ(answer.control, c.list);
            EXPECT_EQ(answer.text, c.text);
            EXPECT_EQ(app.State(), before) << "selection, focus, scroll position and keys stay";
        }
    }
}

// The hotkey's whole path over each list: the chosen item reaches the
// runner, and the list is as the user left it, no key typed into it.
class ListPressWinTest : public SampleProgramWinTest {
protected:
    ListPressWinTest() : SampleProgramWinTest(Utf8(kTitle), "CustomerNo") {}
};

TEST_F(ListPressWinTest, APressOverEachListSearchesItsChosenItemAndLeavesItAsItWas) {
    const struct {
        const wchar_t* args;
        const char* value;
    } cases[] = {
        {L"--focus listview", "100236"},  // two rows selected: the focused one
        {L"--focus listbox", "Claim 1009"},
        {L"--focus combo", "Claim"},
        {L"--focus tree", "York"},
    };
    program.Start();
    ASSERT_TRUE(program.hotKey() && program.hotKey()->Registered());
    std::size_t runs = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(c.args));
        ListApp app(ProgramDir() + L"\\" KESTREL_LIST_APP, c.args);
        const auto before = app.State();
        // The user presses the hotkey in another program, whose keys they are.
        SourceApp other(L"Mail", L"--text \"inbox\"");
        SetForegroundWindow(other.window());
        ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == other.window(); }, 2000));
        ASSERT_TRUE(fixtures::PressChord({VK_CONTROL, VK_SHIFT, VK_F11}));
        const auto calls = InstalledRunner::WaitForCalls(++runs);
        ASSERT_EQ(calls.size(), runs);
        EXPECT_EQ(calls.back().commandLine,
                  std::string("\"C:\\program files\\tamarind\\scripts\\halyard.exe\" Index=Claims;Criteria=CustomerNo='") +
                      c.value + "'");
        EXPECT_EQ(program.link().field()->value, c.value);
        CloseWindowsTitled(L"Document Center");
        EXPECT_EQ(app.State(), before) << "selection, focus, scroll position and keys as they were";
    }
}

}  // namespace
}  // namespace kestrel::wintest
