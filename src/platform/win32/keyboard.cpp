#include "platform/win32/keyboard.h"

#include <windows.h>

namespace kestrel::win32 {

// SendInput is handed an array of these; the sizes are part of its contract.
static_assert(sizeof(INPUT) == (sizeof(void*) == 8 ? 40 : 28), "INPUT has the size SendInput expects");
static_assert(sizeof(KEYBDINPUT) == (sizeof(void*) == 8 ? 24 : 16), "KEYBDINPUT layout");

bool Keyboard::IsDown(platform::KeyCode key) { return GetAsyncKeyState(key) != 0; }

std::size_t Keyboard::Send(const std::vector<platform::KeyEvent>& events) {
    if (events.empty()) return 0;
    std::vector<INPUT> inputs(events.size());
    for (std::size_t i = 0; i < events.size(); ++i) {
        INPUT& in = inputs[i];
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = events[i].key;
        in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(events[i].key, MAPVK_VK_TO_VSC));
        in.ki.dwFlags = (events[i].up ? KEYEVENTF_KEYUP : 0) | (events[i].extended ? KEYEVENTF_EXTENDEDKEY : 0);
    }
    return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

}  // namespace kestrel::win32
