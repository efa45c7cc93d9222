// The complete program as a user meets it: started with its settings in the
// registry, worked through its dialog, its tray menu and its hotkey.
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <map>

#include "platform/win32/notification_area.h"
#include "platform/win32/text.h"
#include "win/win_support.h"

namespace kestrel::wintest {
namespace {

const wchar_t* kSettingsKey = L"Software\\VB and VBA Program Settings\\Kestrel\\Settings";
const std::string kRunner = "\"C:\\program files\\tamarind\\scripts\\halyard.exe\"";

struct WindowSearch {
    DWORD pid;
    std::wstring title;
    std::wstring cls;  // empty: any but a message box
    HWND found = nullptr;
};

BOOL CALLBACK FindOf(HWND hwnd, LPARAM lParam) {
    auto& s = *reinterpret_cast<WindowSearch*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t title[256] = L"", cls[64] = L"";
    GetWindowTextW(hwnd, title, 256);
    GetClassNameW(hwnd, cls, 64);
    const bool classMatches = s.cls.empty() ? std::wstring(cls) != L"#32770" : s.cls == cls;
    if (pid == s.pid && classMatches && (s.title.empty() || s.title == title)) s.found = hwnd;
    return s.found ? FALSE : TRUE;
}

HWND WindowOf(DWORD pid, const std::wstring& title, const std::wstring& cls = L"") {
    WindowSearch search{pid, title, cls};
    EnumWindows(FindOf, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK CollectChildren(HWND hwnd, LPARAM lParam) {
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hwnd);
    return TRUE;
}

// A form's controls of one class, in their creation (and so Tab) order.
std::vector<HWND> Controls(HWND form, const std::wstring& cls) {
    std::vector<HWND> all, matching;
    EnumChildWindows(form, CollectChildren, reinterpret_cast<LPARAM>(&all));
    for (HWND h : all) {
        wchar_t name[64];
        GetClassNameW(h, name, 64);
        if (_wcsicmp(name, cls.c_str()) == 0) matching.push_back(h);
    }
    return matching;
}

HWND ButtonCaptioned(HWND form, const std::wstring& caption) {
    for (HWND b : Controls(form, L"Button")) {
        wchar_t text[64];
        GetWindowTextW(b, text, 64);
        if (caption == text) return b;
    }
    return nullptr;
}

std::wstring TextOf(HWND hwnd) {
    wchar_t text[512] = L"";
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 2000, &ignored);
    return text;
}

void SetTextOf(HWND hwnd, const std::wstring& text) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, 2000, &ignored);
}

// Brings the window in front, as a person looks at it before typing.
void Front(HWND hwnd) {
    HWND top = GetAncestor(hwnd, GA_ROOT);
    SetForegroundWindow(top);
    WaitFor([&] { return GetForegroundWindow() == top; }, 1000);
}

// A button's click. (Injected mouse clicks land unreliably under Wine's X
// driver, where the pointer can lag behind an injected move; the keys are
// typed for real.)
void Click(HWND button) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, 5000, &ignored);
}

// Whether the shell shows an icon for the window: modifying nothing succeeds
// only for an icon that is there.
bool IconShown(HWND window) {
    NOTIFYICONDATAW data{};
    data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data.hWnd = window;
    data.uID = 1;
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

class ProgramWinTest : public WinTest {
protected:
    ProgramWinTest() { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Kestrel"); }
    ~ProgramWinTest() override {
        program_.reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Kestrel");
    }
    static void Settings(const std::map<std::wstring, std::wstring>& values) {
        for (const auto& [name, value] : values)
            RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, name.c_str(), REG_SZ, value.c_str(),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    static void CompleteSettings() {
        Settings({{L"SourceWindow", L"Orders - ACME"}, {L"AppName", L"Claims"}, {L"Field", L"Account"},
                  {L"Hotkey", L"122"}, {L"HotKeyShift", L"3"}, {L"SaveNext", L"False"}});
    }
    static std::wstring Stored(const wchar_t* name) {
        wchar_t buffer[256];
        DWORD size = sizeof buffer;
        if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
            return L"<absent>";
        return buffer;
    }
    void Start() {
        program_ = std::make_unique<Process>(L"\"" + ProgramDir() + L"\\kestrel.exe\"");
    }
    DWORD Pid() const { return program_->id(); }
    HWND Main() {
        HWND main = nullptr;
        WaitFor([&] { return (main = WindowOf(Pid(), L"Kestrel")) != nullptr; }, 5000);
        return main;
    }
    HWND WaitForWindow(const std::wstring& title, const std::wstring& cls = L"", int ms = 5000) {
        HWND found = nullptr;
        WaitFor([&] { return (found = WindowOf(Pid(), title, cls)) != nullptr && IsWindowVisible(found); }, ms);
        return found;
    }
    bool Ended(int ms = 5000) {
        return WaitFor([&] { return WaitForSingleObject(program_->handle(), 0) == WAIT_OBJECT_0; }, ms);
    }
    // What the shell sends the icon's owner for a mouse message on the icon.
    static void MouseOnIcon(HWND main, UINT mouseMessage) {
        PostMessageW(main, win32::NotificationArea::kCallbackMessage, win32::NotificationArea::kIconId, mouseMessage);
    }
    static HWND VisibleMenu() {
        HWND menu = FindWindowW(L"#32768", nullptr);
        return menu && IsWindowVisible(menu) ? menu : nullptr;
    }
    HWND OpenMenu(HWND main) {
        MouseOnIcon(main, WM_RBUTTONUP);
        HWND menu = nullptr;
        WaitFor([&] { return (menu = VisibleMenu()) != nullptr; });
        return menu;
    }

    InstalledRunner runner_;
    std::unique_ptr<Process> program_;
};

TEST_F(ProgramWinTest, AFirstStartOpensTheDialogAndAfterOkTheHotKeyWorks) {
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

TEST_F(ProgramWinTest, TheDialogRefusesEmptyBoxesWithItsMessages) {
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

TEST_F(ProgramWinTest, TheDialogsControlsSitWhereTheDesignPutsThem) {
    Start();
    HWND dialog = WaitForWindow(L"Settings");
    ASSERT_NE(dialog, nullptr);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    ASSERT_EQ(dpi, 96) << "the expected pixels below are for 96 DPI";
    // Design order by tab index is creation order; twips / 15 are pixels at 96 DPI.
    struct Expected {
        const wchar_t* text;
        RECT rect;
    };
    const Expected expected[] = {
        {nullptr, {144, 48, 144 + 185, 48 + 25}},   // txtSourceWindow (2160, 720, 2775, 375)
        {nullptr, {144, 80, 144 + 185, 80 + 25}},   // txtDocType
        {nullptr, {144, 112, 144 + 185, 112 + 25}}, // txtSearchField (width 2772: 184.8)
        {L"OK", {152, 160, 152 + 81, 160 + 25}},
        {L"Search Field", {32, 120, 32 + 97, 120 + 17}},
        {L"Cancel", {256, 160, 256 + 81, 160 + 25}},
        {L"Document Type", {32, 88, 32 + 105, 88 + 17}},
        {L"Source Window Title", {32, 56, 32 + 105, 56 + 17}},
        {L"(optional)", {336, 56, 336 + 57, 56 + 17}},
        {nullptr, {144, 16, 144 + 137, 16 + 25}},   // txtHotKey
        {L"HotKey", {32, 24, 32 + 97, 24 + 17}},
    };
    std::vector<HWND> children;
    EnumChildWindows(dialog, CollectChildren, reinterpret_cast<LPARAM>(&children));
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
    EXPECT_EQ(client.right, 472);   // 7080 / 15
    EXPECT_EQ(client.bottom, 209);  // 3132 / 15 = 208.8
}

TEST_F(ProgramWinTest, TheTrayMenuOpensSettingsAndExitEndsTheProgram) {
    CompleteSettings();
    Start();
    HWND main = Main();
    ASSERT_NE(main, nullptr);
    EXPECT_FALSE(IsWindowVisible(main)) << "no window of the program is visible";
    ASSERT_TRUE(WaitFor([&] { return IconShown(main); }));

    for (UINT other : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN})
        MouseOnIcon(main, other);
    Pump(500);
    EXPECT_EQ(VisibleMenu(), nullptr) << "only the right button's release opens the menu";
    if (VisibleMenu()) Chord({VK_ESCAPE});
    ASSERT_NE(OpenMenu(main), nullptr) << "a right click pops up the menu";
    Chord({VK_DOWN});
    Chord({VK_RETURN});  // Settings
    HWND dialog = WaitForWindow(L"Settings");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(TextOf(Controls(dialog, L"Edit")[2]), L"Account");
    Click(ButtonCaptioned(dialog, L"Cancel"));
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));

    ASSERT_NE(OpenMenu(main), nullptr);
    Chord({VK_DOWN});
    Chord({VK_DOWN});  // the separator is skipped: Exit
    Chord({VK_RETURN});
    EXPECT_TRUE(Ended()) << "the program ends when its last window goes";
    EXPECT_FALSE(IconShown(main)) << "the icon is gone";
}

TEST_F(ProgramWinTest, AboutShowsTheVersionAndOutlivesExit) {
    CompleteSettings();
    Start();
    HWND main = Main();
    ASSERT_TRUE(WaitFor([&] { return IconShown(main); }));
    ASSERT_NE(OpenMenu(main), nullptr);
    for (int i = 0; i < 3; ++i) Chord({VK_DOWN});  // Settings, Exit, About
    Chord({VK_RETURN});
    HWND about = WaitForWindow(L"About Kestrel");
    ASSERT_NE(about, nullptr);
    const auto labels = Controls(about, L"Static");
    std::vector<std::wstring> texts;
    for (HWND l : labels) texts.push_back(TextOf(l));
    EXPECT_NE(std::find(texts.begin(), texts.end(), L"Version 1.0.0"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), L"Kestrel"), texts.end());

    ASSERT_NE(OpenMenu(main), nullptr);
    Chord({VK_DOWN});
    Chord({VK_DOWN});
    Chord({VK_RETURN});  // Exit
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(main); })) << "the main window goes";
    EXPECT_FALSE(IconShown(main)) << "the icon goes at once";
    EXPECT_FALSE(Ended(500)) << "the About box keeps the program alive";
    Click(ButtonCaptioned(about, L"OK"));
    EXPECT_TRUE(Ended()) << "and it ends when the box closes";
}

TEST_F(ProgramWinTest, ARecreatedNotificationAreaGetsTheIconAgain) {
    CompleteSettings();
    Start();
    HWND main = Main();
    ASSERT_TRUE(WaitFor([&] { return IconShown(main); }));
    // What a restarted Explorer leaves behind: a notification area without the icon.
    NOTIFYICONDATAW data{};
    data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data.hWnd = main;
    data.uID = 1;
    Shell_NotifyIconW(NIM_DELETE, &data);
    ASSERT_FALSE(IconShown(main));
    PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(WaitFor([&] { return IconShown(main); }));
}

TEST_F(ProgramWinTest, AHotKeyHeldByAnotherProgramIsNamed) {
    SourceApp holder(L"Holder", L"--hotkey 6 122");
    CompleteSettings();
    Start();
    MessageBoxWatcher boxes(Pid());
    ASSERT_TRUE(WaitFor([&] { return !boxes.Texts().empty(); }));
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"The hotkey Ctrl-Shift F11 is in use by another program. Choose another one in Settings."});
    EXPECT_EQ(boxes.Captions(), std::vector<std::string>{"Kestrel"});
    EXPECT_FALSE(Ended(300)) << "the program keeps running";
}

TEST_F(ProgramWinTest, ACorruptHotKeyIsReportedAndTheProgramStaysToBeRepaired) {
    CompleteSettings();
    Settings({{L"Hotkey", L"F11"}});
    Start();
    HWND main = Main();
    MessageBoxWatcher boxes(Pid());
    ASSERT_TRUE(WaitFor([&] { return !boxes.Texts().empty(); }));
    EXPECT_EQ(boxes.Texts()[0],
              "error in Main: the setting \"Hotkey\" holds \"F11\", which is not a whole number from -32768 to 32767");
    EXPECT_FALSE(Ended(300)) << "the program keeps running";
    EXPECT_TRUE(IconShown(main)) << "its icon leads to Settings";
}

}  // namespace
}  // namespace kestrel::wintest
