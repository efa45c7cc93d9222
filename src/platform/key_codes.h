#pragma once
#include <cstdint>

namespace kestrel::platform {

// Key codes as the settings store keeps them and the keyboard reports them:
// letters and digits are their upper-case ASCII codes, F1 to F24 are 112 to
// 135. The same numbering the system's keyboard uses, so nothing translates.
using KeyCode = std::uint16_t;

inline constexpr KeyCode kKeyBackspace = 0x08;
inline constexpr KeyCode kKeyTab = 0x09;
inline constexpr KeyCode kKeyEnter = 0x0D;
inline constexpr KeyCode kKeyShift = 0x10;
inline constexpr KeyCode kKeyControl = 0x11;
inline constexpr KeyCode kKeyAlt = 0x12;
inline constexpr KeyCode kKeyEscape = 0x1B;
inline constexpr KeyCode kKeySpace = 0x20;
inline constexpr KeyCode kKeyPageUp = 0x21;
inline constexpr KeyCode kKeyPageDown = 0x22;
inline constexpr KeyCode kKeyEnd = 0x23;
inline constexpr KeyCode kKeyHome = 0x24;
inline constexpr KeyCode kKeyLeft = 0x25;
inline constexpr KeyCode kKeyUp = 0x26;
inline constexpr KeyCode kKeyRight = 0x27;
inline constexpr KeyCode kKeyDown = 0x28;
inline constexpr KeyCode kKeyInsert = 0x2D;
inline constexpr KeyCode kKeyDelete = 0x2E;
inline constexpr KeyCode kKeyF1 = 0x70;
inline constexpr KeyCode kKeyF24 = 0x87;

inline constexpr bool IsFunctionKey(std::int32_t code) { return code >= kKeyF1 && code <= kKeyF24; }

// The modifier mask key-down events report: 1 Shift, 2 Ctrl, 4 Alt.
inline constexpr int kShiftMaskShift = 1;
inline constexpr int kShiftMaskControl = 2;
inline constexpr int kShiftMaskAlt = 4;

}  // namespace kestrel::platform
