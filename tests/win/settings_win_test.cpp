// The Settings dialog of the complete program: its first start, its refusals,
// its layout, and the hotkey box as a person types into it.
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

TEST_F(SettingsWinTest, TheDialogsControlsSitWhereTheDesignPutsThem) {
    Start();
    HWND dialog = WaitForWindow(L"Settings");
    ASSERT_NE(dialog, nullptr);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    ASSERT_EQ(dpi, 96) << "the expected pixels below are for 96 DPI";
    // Design order by tab index is creation order; twips / 15 are pixels at 96
    // DPI. "Source Window Title" needs 115 pixels in Wine's message font, 10
    // more than the design gave it: it grows, and all from its right edge on
    // (the text boxes, the buttons, "(optional)", the right end of "Document
    // Type") moves over by as much.
    struct Expected {
        const wchar_t* text;
        RECT rect;
    };
    const Expected expected[] = {
        {nullptr, {154, 48, 154 + 185, 48 + 25}},   // txtSourceWindow (2160, 720, 2775, 375)
        {nullptr, {154, 80, 154 + 185, 80 + 25}},   // txtDocType
        {nullptr, {154, 112, 154 + 185, 112 + 25}}, // txtSearchField (width 2772: 184.8)
        {L"OK", {162, 160, 162 + 81, 160 + 25}},
        {L"Search Field", {32, 120, 32 + 97, 120 + 17}},
        {L"Cancel", {266, 160, 266 + 81, 160 + 25}},
        {L"Document Type", {32, 88, 32 + 115, 88 + 17}},
        {L"Source Window Title", {32, 56, 32 + 115, 56 + 17}},
        {L"(optional)", {346, 56, 346 + 57, 56 + 17}},
        {nullptr, {154, 16, 154 + 137, 16 + 25}},   // txtHotKey
        {L"HotKey", {32, 24, 32 + 97, 24 + 17}},
    };
    const auto children = Children(dialog);
    ASSERT_EQ(children.size(), std::size(expected));
    for (std::size_t i = 0; i < children.size(); ++i) {
        RECT r;
        GetWindowRect(children[i], &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        if (expected[i].text) {
            EXPECT_EQ(TextOf(children[i]), expected[i].text) << i;
        }
        EXPECT_EQ(r.left, expected[i].rect.left) << i;
        EXPECT_EQ(r.top, expected[i].rect.top) << i;
        EXPECT_EQ(r.right, expected[i].rect.right) << i;
        EXPECT_EQ(r.bottom, expected[i].rect.bottom) << i;
    }
    RECT client;
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, 482);   // 7080 / 15, and 10 more
    EXPECT_EQ(client.bottom, 209);  // 3132 / 15 = 208.8
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
