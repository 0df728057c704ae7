#pragma once
// Virtual-key codes: the numbers the key map is written in, got from Qt's key events.
// A key is judged by the key it is, not by the character it types: Shift+, is still the comma
// key, Shift+2 still the 2 key, and the keys whose place differs between a Japanese and a US
// layout ([ ] ^ ' \) come out as the same codes on both.
#include <QtCore/qnamespace.h>
#include <cstdint>

namespace platform {

// clang-format off
enum VirtualKey : int {
    VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_PAUSE = 0x13, VK_ESCAPE = 0x1B, VK_SPACE = 0x20,
    VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24,
    VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28,
    VK_INSERT = 0x2D, VK_DELETE = 0x2E,
    // '0' .. '9' and 'A' .. 'Z' are their own codes.
    VK_NUMPAD0 = 0x60,  // .. VK_NUMPAD9 = 0x69
    VK_MULTIPLY = 0x6A, VK_ADD = 0x6B, VK_SUBTRACT = 0x6D, VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F,
    VK_F1 = 0x70,  // .. VK_F24 = 0x87
    VK_F3 = 0x72, VK_F5 = 0x74, VK_F6 = 0x75, VK_F8 = 0x77,
    VK_OEM_1 = 0xBA,       // ; (US), : (Japanese)
    VK_OEM_PLUS = 0xBB,    // = (US), ; (Japanese)
    VK_OEM_COMMA = 0xBC,
    VK_OEM_MINUS = 0xBD,
    VK_OEM_PERIOD = 0xBE,
    VK_OEM_2 = 0xBF,       // /
    VK_OEM_3 = 0xC0,       // ` (US), @ (Japanese)
    VK_OEM_4 = 0xDB,       // [
    VK_OEM_5 = 0xDC,       // \ (US), ¥ (Japanese)
    VK_OEM_6 = 0xDD,       // ]
    VK_OEM_7 = 0xDE,       // ' (US), ^ (Japanese)
    VK_OEM_102 = 0xE2,     // \ ろ (Japanese), the extra key left of Z (ISO)
};
// clang-format on

// The virtual-key code of a pressed key; 0 for a key that has none here.
// qtKey and modifiers as QKeyEvent gives them; nativeScanCode is QKeyEvent::nativeScanCode():
// on X11 and Wayland the XKB key code (the kernel's key number + 8), 0 when unknown.
int VirtualKeyOf(int qtKey, Qt::KeyboardModifiers modifiers, uint32_t nativeScanCode);

// XKB key codes of the keys whose role is judged by place.
namespace xkb {
constexpr uint32_t AE01 = 10;  // the top-row 1; AE02 .. AE10 follow up to the 0 at 19
constexpr uint32_t AE10 = 19;
constexpr uint32_t AE12 = 21;  // ^ ~ (Japanese), = + (US)
constexpr uint32_t LSGT = 94;  // the ISO key left of Z
constexpr uint32_t AB11 = 97;  // \ _ ろ (Japanese)
}  // namespace xkb

}  // namespace platform
