// Sources 2 to 9 in the real registry and policy, and the Sources dialog of
// the complete program worked by keyboard alone.
#include <cwchar>

#include "fixtures/controls_app.h"
#include "settings/settings.h"
#include "win/program_support.h"

namespace kestrel::wintest {
namespace {

const wchar_t* kStoreKey = L"Software\\VB and VBA Program Settings\\Kestrel";
const wchar_t* kPolicyKey = L"Software\\Policies\\Kestrel";

void Put(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    ASSERT_EQ(RegSetKeyValueW(root, key.c_str(), name, REG_SZ, value.c_str(),
                              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

std::wstring Get(const std::wstring& key, const wchar_t* name) {
    wchar_t buffer[256];
    DWORD size = sizeof buffer;
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
        return L"<absent>";
    return buffer;
}

bool KeyExists(const std::wstring& key) {
    HKEY k = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

class SourcesStoreWinTest : public WinTest {
protected:
    SourcesStoreWinTest() { Clear(); }
    ~SourcesStoreWinTest() override { Clear(); }
    static void Clear() {
        RegDeleteTreeW(HKEY_CURRENT_USER, kStoreKey);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kPolicyKey);
        RegDeleteTreeW(HKEY_CURRENT_USER, kPolicyKey);
    }
};

TEST_F(SourcesStoreWinTest, ASectionsPolicyWinsValueByValueAndARemovedSectionGoes) {
    const std::wstring store = kStoreKey, policy = kPolicyKey;
    Put(HKEY_CURRENT_USER, store + L"\\Source2", L"AppName", L"Letters");
    Put(HKEY_CURRENT_USER, store + L"\\Source2", L"Field", L"Customer");
    Put(HKEY_CURRENT_USER, store + L"\\Source3", L"AppName", L"Mine");
    Put(HKEY_CURRENT_USER, store + L"\\Source3", L"SourceWindow", L"Orders*");
    Put(HKEY_LOCAL_MACHINE, policy + L"\\Source3", L"AppName", L"Machine");
    Put(HKEY_CURRENT_USER, policy + L"\\Source3", L"AppName", L"User");
    Put(HKEY_CURRENT_USER, policy + L"\\Source3", L"Field", L"UserField");
    Put(HKEY_LOCAL_MACHINE, policy, L"Column", L"No.");
    auto s = LoadSettings(services.store, &services.policy);
    EXPECT_EQ(s.sources[0].column, "No.") << "source 1's under the policy key itself";
    ASSERT_EQ(s.sources.size(), 3u);
    const auto& third = s.sources[2];
    EXPECT_EQ(third.number, 3);
    EXPECT_EQ(third.documentType, "Machine");
    EXPECT_EQ(third.searchField, "UserField");
    EXPECT_EQ(third.window, "Orders*") << "not set by policy: the user's own";
    EXPECT_EQ(third.fromPolicy, (std::set<std::string>{"AppName", "Field"}));
    EXPECT_FALSE(services.policy.MachineSets("Source3", "Field"));
    EXPECT_TRUE(services.policy.MachineSets("Source3", "AppName"));

    s.sources.erase(s.sources.begin() + 1);
    s.removedSources = {2, 6};  // one section there, one not: neither fails
    SaveSettings(services.store, s);
    EXPECT_FALSE(KeyExists(store + L"\\Source2"));
    EXPECT_EQ(Get(store + L"\\Source3", L"AppName"), L"Mine") << "a policy value is never saved";
    EXPECT_EQ(Get(store + L"\\Settings", L"Column"), L"<absent>");
}

class SourcesWinTest : public ProgramWinTest {};

// Types text into the control with the focus, as keys.
void Type(const std::wstring& text) {
    for (wchar_t c : text) {
        const SHORT scan = VkKeyScanW(c);
        ASSERT_NE(scan, -1) << "no key for a character of the test's text";
        std::vector<WORD> keys;
        if (scan & 0x100) keys.push_back(VK_SHIFT);
        keys.push_back(static_cast<WORD>(scan & 0xFF));
        Chord(keys);
    }
}

std::wstring LineOf(HWND list, int index) {
    wchar_t line[256] = L"";
    if (SendMessageW(list, LB_GETTEXTLEN, index, 0) < 256) SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(line));
    return line;
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

TEST_F(SourcesWinTest, ASecondSourceIsAddedByKeyboardAndSavedWithSettingsOk) {
    Start();
    HWND settings = WaitForWindow(L"Settings");
    ASSERT_NE(settings, nullptr) << "the first start opens Settings";
    Front(settings);
    Type(L"Orders");  // the focus starts in the title's box
    Chord({VK_TAB});
    Type(L"Claims");
    Chord({VK_TAB});
    Type(L"Account");
    Chord({VK_MENU, 'S'});
    HWND sources = WaitForWindow(L"Sources");
    ASSERT_NE(sources, nullptr) << "Alt+S opens the Sources dialog";
    const auto lists = Controls(sources, L"ListBox");
    ASSERT_EQ(lists.size(), 1u);
    EXPECT_EQ(SendMessageW(lists[0], LB_GETCOUNT, 0, 0), 1) << "source 1 alone";
    const auto boxes = Controls(sources, L"Edit");
    ASSERT_EQ(boxes.size(), 7u);
    EXPECT_EQ(TextOf(boxes[1]), L"Claims") << "source 1 as the Settings boxes hold it";

    Chord({VK_MENU, 'A'});
    ASSERT_TRUE(WaitFor([&] { return SendMessageW(lists[0], LB_GETCOUNT, 0, 0) == 2; })) << "Alt+A adds";
    EXPECT_EQ(SendMessageW(lists[0], LB_GETCURSEL, 0, 0), 1) << "the new source is chosen";
    EXPECT_TRUE(WaitFor([&] { return FocusOf(sources) == boxes[0]; })) << "the focus in its title's box";
    EXPECT_EQ(TextOf(boxes[1]), L"") << "a new source is empty";
    Type(L"CRM*");
    EXPECT_TRUE(WaitFor([&] { return std::wcsncmp(LineOf(lists[0], 1).c_str(), L"2. CRM* - ", 10) == 0; })) << "the line follows the box";
    // Each label's access key selects its box's text, which typing replaces.
    Chord({VK_MENU, 'D'});
    Type(L"Letters");
    Chord({VK_MENU, 'F'});
    Type(L"Customer");
    Chord({VK_MENU, 'P'});
    Type(L"\\d+");
    Chord({VK_MENU, 'O'});
    Type(L"title");
    Chord({VK_MENU, 'M'});
    Type(L"No 4711");
    Chord({VK_RETURN});
    const auto labels = Controls(sources, L"Static");
    EXPECT_TRUE(WaitFor([&] { return TextOf(labels.back()) == L"Value: 4711"; })) << "Enter in the sample line is Try";
    EXPECT_TRUE(IsWindow(sources));
    Chord({VK_MENU, 'S'});  // to the list, where Up chooses source 1 again
    Chord({VK_UP});
    EXPECT_TRUE(WaitFor([&] { return TextOf(boxes[1]) == L"Claims"; })) << "the boxes show the chosen source";
    Chord({VK_RETURN});
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(sources); })) << "Enter is OK";
    EXPECT_EQ(Stored(L"AppName"), L"<absent>") << "nothing saved before the Settings dialog's OK";
    EXPECT_TRUE(IsWindowEnabled(settings));

    Click(ButtonCaptioned(settings, L"OK"));
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(settings); }));
    const std::wstring store = kStoreKey;
    EXPECT_EQ(Stored(L"AppName"), L"Claims");
    EXPECT_EQ(Stored(L"Field"), L"Account");
    EXPECT_EQ(Get(store + L"\\Source2", L"SourceWindow"), L"CRM*");
    EXPECT_EQ(Get(store + L"\\Source2", L"AppName"), L"Letters");
    EXPECT_EQ(Get(store + L"\\Source2", L"Field"), L"Customer");
    EXPECT_EQ(Get(store + L"\\Source2", L"ValuePattern"), L"\\d+");
    EXPECT_EQ(Get(store + L"\\Source2", L"ValueFrom"), L"title");
}

TEST_F(SourcesWinTest, AFieldOfTheSourceIsPickedByTheHotkeyInItAndByADragOntoIt) {
    Process app(L"\"" + ProgramDir() + L"\\" KESTREL_CONTROLS_APP
                L"\" --title \"Invoice 4711 - ACME ERP\" --focus wrapped --text \"Invoice No.: 4711\"");
    HWND form = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (form = FindWindowW(L"KestrelControlsApp", L"Invoice 4711 - ACME ERP")); }));
    WaitForInputIdle(app.handle(), Scaled(2000));
    Start();
    HWND settings = WaitForWindow(L"Settings");
    ASSERT_NE(settings, nullptr);
    Front(settings);
    Chord({VK_MENU, 'S'});
    HWND sources = WaitForWindow(L"Sources");
    ASSERT_NE(sources, nullptr);
    const auto boxes = Controls(sources, L"Edit");
    ASSERT_EQ(boxes.size(), 7u);
    HWND valueFrom = boxes[5];
    SetTextOf(boxes[3], L"No\\.:\\s*(\\d+)");  // the value pattern
    Chord({VK_MENU, 'K'});
    const auto labels = Controls(sources, L"Static");
    EXPECT_TRUE(WaitFor([&] { return TextOf(labels.back()).find(L"press the hotkey") != std::wstring::npos; }))
        << "Alt+K waits for the pick";
    Chord({VK_F11});  // in the dialog: no pick yet
    EXPECT_TRUE(WaitFor([&] { return TextOf(labels.back()).find(L"Put the focus in the field") == 0; }));
    Front(form);
    // The pick takes the focused field: the press waits until the form has given it back.
    ASSERT_TRUE(WaitFor([&] {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(GetWindowThreadProcessId(form, nullptr), &info) &&
               info.hwndFocus == GetDlgItem(form, fixtures::kWrappedEdit);
    }));
    Chord({VK_F11});  // the first start's hotkey, as the Settings dialog shows it
    EXPECT_TRUE(WaitFor([&] { return TextOf(valueFrom) == L"control #102"; })) << Utf8(TextOf(valueFrom));
    EXPECT_TRUE(WaitFor([&] { return TextOf(labels.back()) == L"Field: Invoice No.: 4711\nValue: 4711"; }))
        << Utf8(TextOf(labels.back()));

    // The mouse way in the same dialog: a drag from the button onto another field.
    const HWND pick = ButtonCaptioned(sources, L"Pic&k field\u2026");
    ASSERT_NE(pick, nullptr);
    Front(sources);
    Mouse(Middle(pick));
    Mouse(Middle(pick), MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(WaitFor([&] {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(GetWindowThreadProcessId(sources, nullptr), &info) && info.hwndCapture == pick;
    })) << "the button holds the mouse";
    Mouse(Middle(GetDlgItem(form, fixtures::kPlainEdit)));
    Mouse(Middle(GetDlgItem(form, fixtures::kPlainEdit)), MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(WaitFor([&] { return TextOf(valueFrom) == L"control #101"; })) << Utf8(TextOf(valueFrom));
    Front(sources);
    Chord({VK_ESCAPE});
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(sources); }));
}

}  // namespace
}  // namespace kestrel::wintest
