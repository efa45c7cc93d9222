#include "platform/keystrokes.h"
#include "win/win_support.h"

namespace kestrel::wintest {
namespace {

// A window of the test's own that records the key messages it receives.
std::vector<platform::KeyEvent>* g_received = nullptr;

LRESULT CALLBACK RecorderProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (g_received && (msg == WM_KEYDOWN || msg == WM_KEYUP || msg == WM_SYSKEYDOWN || msg == WM_SYSKEYUP))
        g_received->push_back({static_cast<platform::KeyCode>(wParam), msg == WM_KEYUP || msg == WM_SYSKEYUP,
                               ((lParam >> 24) & 1) != 0});
    if (msg == WM_SYSKEYDOWN || msg == WM_SYSKEYUP || msg == WM_SYSCHAR) return 0;  // no menu
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class KeysWinTest : public WinTest {
protected:
    KeysWinTest() {
        window_ = TestWindow(L"KestrelKeyRecorder", RecorderProc, L"Key recorder", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                             {50, 50, 350, 250});
        SetForegroundWindow(window_.get());
        SetFocus(window_.get());
        WaitFor([&] { return GetForegroundWindow() == window_.get(); }, 2000);
        g_received = &received_;
    }
    ~KeysWinTest() override { g_received = nullptr; }

    std::vector<platform::KeyEvent> Typed(const std::string& keys) {
        received_.clear();
        platform::TypeKeystrokes(services.keyboard, keys);
        const auto expected = Flat(keys).size();
        WaitFor([&] { return received_.size() >= expected; }, 2000);
        Pump(20);
        return received_;
    }
    static std::vector<platform::KeyEvent> Flat(const std::string& keys) {
        std::vector<platform::KeyEvent> all;
        for (const auto& chord : platform::ParseKeystrokes(keys)) all.insert(all.end(), chord.begin(), chord.end());
        return all;
    }

    win32::Window window_;
    std::vector<platform::KeyEvent> received_;
};

TEST_F(KeysWinTest, TheWindowReceivesExactlyTheParsedKeyEvents) {
    ASSERT_EQ(GetForegroundWindow(), window_.get());
    for (const char* keys : {"^c", "{home}+{end}^c", "%z", "{F5}{del}", "aB1 "}) {
        EXPECT_EQ(Typed(keys), Flat(keys)) << keys;
    }
}

TEST_F(KeysWinTest, NoModifierIsLeftDownAfterwards) {
    Typed("^+%{F11}");
    for (int vk : {VK_CONTROL, VK_SHIFT, VK_MENU}) EXPECT_EQ(GetAsyncKeyState(vk) & 0x8000, 0) << vk;
}

}  // namespace
}  // namespace kestrel::wintest
