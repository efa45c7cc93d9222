// The Settings dialog of the complete program: its first start, its refusals,
// its layout, and the hotkey box as a person types into it.
#include "platform/win32/handles.h"
#include "win/program_support.h"

namespace kestrel::wintest {
namespace {

class SettingsWinTest : public ProgramWinTest {};

TEST_F(SettingsWinTest, AFirstStartOpensTheDialogAndAfterOkTheHotKeyWorks) {
    Start();
    HWND dialog = WaitForWindow(L"Settings");
    ASSERT_NE(dialog, nullptr) << "the settings dialog opens during start-up";
    const auto boxes = Controls(dialog, L"Edit");
    ASSERT_EQ(boxes.size(), 4u);  // source window, document type, search field, hotkey: their Tab order
    HWND title = boxes[0], type = boxes[1], field = boxes[2], hotkey = boxes[3];
    EXPECT_EQ(TextOf(hotkey), L" F11");
    SetTextOf(title, L"Orders - ACME");
    SetTextOf(type, L"Claims");
    SetTextOf(field, L"Account");
    Front(dialog);
    Chord({VK_RETURN});  // in the source window's box, where the focus starts
    Pump(300);
    EXPECT_TRUE(IsWindow(dialog) && IsWindowVisible(dialog)) << "Enter in a box presses nothing";
    EXPECT_EQ(Stored(L"Field"), L"<absent>");
    Chord({VK_SHIFT, VK_TAB});  // back round the Tab order to the hotkey box
    Chord({VK_CONTROL, VK_SHIFT, VK_F5});
    EXPECT_EQ(TextOf(hotkey), L"Ctrl-Shift F5");
    Chord({VK_CONTROL, VK_SHIFT, VK_F11});
    EXPECT_EQ(TextOf(hotkey), L"Ctrl-Shift F11");
    Click(ButtonCaptioned(dialog, L"OK"));
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); })) << "OK closes the dialog";
    EXPECT_EQ(Stored(L"SourceWindow"), L"Orders - ACME");
    EXPECT_EQ(Stored(L"AppName"), L"Claims");
    EXPECT_EQ(Stored(L"Field"), L"Account");
    EXPECT_EQ(Stored(L"Hotkey"), L"122");
    EXPECT_EQ(Stored(L"HotKeyShift"), L"3");
    EXPECT_EQ(Stored(L"SaveNext"), L"False");

    SourceApp app(L"Orders - ACME", L"--text \"ACME Ltd\\nAccount 12345\" --select 18 23");
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == app.window(); }, 2000));
    Chord({VK_CONTROL, VK_SHIFT, VK_F11});
    const auto calls = InstalledRunner::WaitForCalls(1);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].commandLine, kRunner + " Index=Claims;Criteria=Account='12345'");
}

TEST_F(SettingsWinTest, TheDialogRefusesEmptyBoxesWithItsMessages) {
    Start();
    HWND dialog = WaitForWindow(L"Settings");
    ASSERT_NE(dialog, nullptr);
    MessageBoxWatcher boxes(Pid());
    HWND ok = ButtonCaptioned(dialog, L"OK");
    Click(ok);
    ASSERT_TRUE(WaitFor([&] { return boxes.Texts().size() == 1; }));
    SetTextOf(Controls(dialog, L"Edit")[2], L"Account");
    Pump(200);
    Click(ok);
    ASSERT_TRUE(WaitFor([&] { return boxes.Texts().size() == 2; }));
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{"error: cannot save settings.  Please enter a field to search.",
                                                       "error: cannot save settings.  Please enter a Document Type."}));
    EXPECT_TRUE(IsWindow(dialog)) << "the dialog stays open";
    EXPECT_EQ(Stored(L"Field"), L"<absent>");
}

// The design's pixels hold wherever its labels' texts fit; where one needs
// more in the font of this Wine, that label widens and everything from the
// labels' column on moves over together, so columns stay aligned. What the
// texts need is measured here, in the message font the dialog uses.
TEST_F(SettingsWinTest, TheDialogsControlsSitWhereTheDesignPutsThem) {
    Start();
    HWND dialog = WaitForWindow(L"Settings");
    ASSERT_NE(dialog, nullptr);
    win32::ScreenDc screen;
    ASSERT_EQ(GetDeviceCaps(screen.get(), LOGPIXELSX), 96) << "the design's pixels below are for 96 DPI";
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
    win32::Font font(CreateFontIndirectW(&metrics.lfMessageFont));
    const auto needs = [&](const wchar_t* text) {
        win32::Selection selected(screen.get(), font.get());
        RECT r{0, 0, 0, 0};
        DrawTextW(screen.get(), text, -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        return SIZE{r.right, r.bottom};
    };
    // Design order by tab index is creation order; twips / 15 are pixels at 96
    // DPI. `follows`: right of the labels' column, so moved with it.
    struct Expected {
        const wchar_t* text;
        bool label;
        RECT rect;
        bool follows;
    };
    const Expected expected[] = {
        {nullptr, false, {144, 48, 144 + 185, 48 + 25}, true},  // txtSourceWindow (2160, 720, 2775, 375)
        {nullptr, false, {144, 80, 144 + 185, 80 + 25}, true},  // txtDocType
        {nullptr, false, {144, 112, 144 + 185, 112 + 25}, true},  // txtSearchField (width 2772: 184.8)
        {L"OK", false, {152, 160, 152 + 81, 160 + 25}, true},
        {L"Search Field", true, {32, 120, 32 + 97, 120 + 17}, false},
        {L"Cancel", false, {256, 160, 256 + 81, 160 + 25}, true},
        {L"&Sources...", false, {360, 160, 360 + 81, 160 + 25}, true},  // cmdSources (5400, 2400, 1215, 375)
        {L"Document Type", true, {32, 88, 32 + 105, 88 + 17}, false},
        {L"Source Window Title", true, {32, 56, 32 + 105, 56 + 17}, false},
        {L"(optional)", true, {336, 56, 336 + 57, 56 + 17}, true},
        {nullptr, false, {144, 16, 144 + 137, 16 + 25}, true},  // txtHotKey
        {L"HotKey", true, {32, 24, 32 + 97, 24 + 17}, false},
    };
    const int designGap = 144 - (32 + 105);  // from the widest label to the boxes
    const auto children = Children(dialog);
    ASSERT_EQ(children.size(), std::size(expected));
    const auto placed = [&](std::size_t i) {
        RECT r;
        GetWindowRect(children[i], &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    const int moved = placed(0).left - 144;
    bool allFit = true;
    for (const auto& e : expected)
        if (e.label) {
            const SIZE text = needs(e.text);
            allFit = allFit && text.cx <= e.rect.right - e.rect.left;
            ASSERT_LE(text.cy, e.rect.bottom - e.rect.top) << "this test expects one-line labels in any font";
        }
    if (allFit) {
        EXPECT_EQ(moved, 0) << "nothing moves where every text fits";
    } else {
        EXPECT_GT(moved, 0) << "a label too narrow for its text moves what follows it";
    }
    for (std::size_t i = 0; i < children.size(); ++i) {
        const auto& e = expected[i];
        const RECT r = placed(i);
        const int by = e.follows ? moved : 0;
        if (e.text) {
            EXPECT_EQ(TextOf(children[i]), e.text) << i;
        }
        EXPECT_EQ(r.left, e.rect.left + by) << i;
        EXPECT_EQ(r.top, e.rect.top) << i;
        EXPECT_EQ(r.bottom, e.rect.bottom) << i;
        if (e.label) {
            EXPECT_GE(r.right - r.left, needs(e.text).cx) << i << ": the whole text fits";
            if (!e.follows) {
                EXPECT_LE(r.right + designGap, 144 + moved) << i << ": clear of the boxes";
            }
        } else {
            EXPECT_EQ(r.right, e.rect.right + by) << i;
        }
    }
    RECT client;
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, 472 + moved);  // 7080 / 15
    EXPECT_EQ(client.bottom, 209);         // 3132 / 15 = 208.8
}

TEST_F(SettingsWinTest, TheHotKeyBoxShowsOnlyThePendingCombination) {
    Start();
    HWND dialog = WaitForWindow(L"Settings");
    ASSERT_NE(dialog, nullptr);
    HWND hotkey = Controls(dialog, L"Edit")[3];
    Front(dialog);
    Chord({VK_SHIFT, VK_TAB});  // from the first box back round to the hotkey box
    GUITHREADINFO focus{};
    focus.cbSize = sizeof focus;
    ASSERT_TRUE(WaitFor([&] {
        return GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &focus) && focus.hwndFocus == hotkey;
    }));
    struct Step {
        std::vector<WORD> keys;
        const wchar_t* shows;  // nullptr: what it showed before
    };
    const std::vector<Step> steps = {
        {{VK_SHIFT, 'A'}, nullptr},  // Shift alone makes no hotkey
        {{VK_DELETE}, nullptr},
        {{VK_BACK}, nullptr},
        {{'Q'}, nullptr},
        {{VK_END}, nullptr},
        {{VK_BACK}, nullptr},
        {{VK_SHIFT, VK_HOME}, nullptr},
        {{VK_SHIFT, VK_INSERT}, nullptr},  // a paste
        {{VK_CONTROL, VK_SHIFT, 'A'}, L"Ctrl-Shift A"},
        {{VK_CONTROL, 'C'}, nullptr},  // the program's own copy is refused
        {{VK_DELETE}, nullptr},
    };
    services.clipboard.SetText("pasted");  // for a paste to bring
    std::wstring shown = TextOf(hotkey);
    for (const auto& step : steps) {
        const auto what = std::to_wstring(&step - steps.data());
        Chord(step.keys);
        if (step.shows) {
            EXPECT_EQ(TextOf(hotkey), step.shows) << Utf8(what) << ": at once";
            shown = step.shows;
        } else {
            Pump(150);  // time for a key that gets through to change the box
            EXPECT_EQ(TextOf(hotkey), shown) << Utf8(what);
        }
    }
}

}  // namespace
}  // namespace kestrel::wintest
