// Virtual-key codes from Qt keys, as the X server delivers them on a Japanese and a US layout.
#include <gtest/gtest.h>

#include "platform/VirtualKeys.h"

using namespace platform;

namespace {

struct Case {
    const char* what;
    int qtKey;
    Qt::KeyboardModifiers mods;
    uint32_t scanCode;  // XKB key code; 0 where the platform gives none
    int vk;
};

constexpr Qt::KeyboardModifiers None = Qt::NoModifier, Shift = Qt::ShiftModifier, Ctrl = Qt::ControlModifier,
                                Pad = Qt::KeypadModifier;

TEST(VirtualKeys, KeysAreJudgedByTheKeyNotByTheCharacterTyped)
{
    const Case cases[] = {
        // The same key with and without Shift, on both layouts.
        {", key", Qt::Key_Comma, None, 59, VK_OEM_COMMA},
        {"Shift+, types <", Qt::Key_Less, Shift, 59, VK_OEM_COMMA},
        {"Shift+. types >", Qt::Key_Greater, Shift, 60, VK_OEM_PERIOD},
        {"Shift+/ types ?", Qt::Key_Question, Shift, 61, VK_OEM_2},
        {"Shift+, without a scan code", Qt::Key_Less, Shift, 0, VK_OEM_COMMA},
        {"a", Qt::Key_A, None, 38, 'A'},
        {"Shift+a", Qt::Key_A, Shift, 38, 'A'},
        {"Ctrl+z", Qt::Key_Z, Ctrl, 52, 'Z'},
        // US layout.
        {"US [", Qt::Key_BracketLeft, None, 34, VK_OEM_4},
        {"US Shift+[ types {", Qt::Key_BraceLeft, Shift, 34, VK_OEM_4},
        {"US Ctrl+[", Qt::Key_BracketLeft, Ctrl, 34, VK_OEM_4},
        {"US ]", Qt::Key_BracketRight, None, 35, VK_OEM_6},
        {"US '", Qt::Key_Apostrophe, None, 48, VK_OEM_7},
        {"US Shift+' types \"", Qt::Key_QuoteDbl, Shift, 48, VK_OEM_7},
        {"US `", Qt::Key_QuoteLeft, None, 49, VK_OEM_3},
        {"US Shift+` types ~", Qt::Key_AsciiTilde, Shift, 49, VK_OEM_3},
        {"US \\", Qt::Key_Backslash, None, 51, VK_OEM_5},
        {"US =", Qt::Key_Equal, None, 21, VK_OEM_PLUS},
        {"US Shift+= types +", Qt::Key_Plus, Shift, 21, VK_OEM_PLUS},
        {"US Shift+2 types @", Qt::Key_At, Shift, 11, '2'},
        {"US Shift+6 types ^", Qt::Key_AsciiCircum, Shift, 15, '6'},
        {"US Shift+8 types *", Qt::Key_Asterisk, Shift, 17, '8'},
        {"ISO key left of Z", Qt::Key_Less, None, 94, VK_OEM_102},
        // Japanese layout.
        {"JP ^", Qt::Key_AsciiCircum, None, 21, VK_OEM_7},
        {"JP Shift+^ types ~", Qt::Key_AsciiTilde, Shift, 21, VK_OEM_7},
        {"JP @", Qt::Key_At, None, 34, VK_OEM_3},
        {"JP [", Qt::Key_BracketLeft, None, 35, VK_OEM_4},
        {"JP Shift+[ types {", Qt::Key_BraceLeft, Shift, 35, VK_OEM_4},
        {"JP Ctrl+[", Qt::Key_BracketLeft, Ctrl, 35, VK_OEM_4},
        {"JP ]", Qt::Key_BracketRight, None, 51, VK_OEM_6},
        {"JP Shift+] types }", Qt::Key_BraceRight, Shift, 51, VK_OEM_6},
        {"JP :", Qt::Key_Colon, None, 48, VK_OEM_1},
        {"JP ろ types \\", Qt::Key_Backslash, None, 97, VK_OEM_102},
        {"JP Shift+ろ types _", Qt::Key_Underscore, Shift, 97, VK_OEM_102},
        {"JP ¥ types \\", Qt::Key_Backslash, None, 132, VK_OEM_5},
        {"JP Shift+2 types \"", Qt::Key_QuoteDbl, Shift, 11, '2'},
        {"JP Shift+7 types '", Qt::Key_Apostrophe, Shift, 16, '7'},
        {"JP Shift+0 types ~", Qt::Key_AsciiTilde, Shift, 19, '0'},
        // Digits of the top row and of the keypad are different keys.
        {"1", Qt::Key_1, None, 10, '1'},
        {"8 without a scan code", Qt::Key_8, None, 0, '8'},
        {"keypad 3", Qt::Key_3, Pad, 89, VK_NUMPAD0 + 3},
        {"keypad /", Qt::Key_Slash, Pad, 106, VK_DIVIDE},
        {"keypad .", Qt::Key_Period, Pad, 91, VK_DECIMAL},
        {"keypad Page Down", Qt::Key_PageDown, Pad, 89, VK_NEXT},
        {"keypad Enter", Qt::Key_Enter, Pad, 104, VK_RETURN},
        // Named keys.
        {"Backspace", Qt::Key_Backspace, None, 22, VK_BACK},
        {"Enter", Qt::Key_Return, Shift, 36, VK_RETURN},
        {"Esc", Qt::Key_Escape, None, 9, VK_ESCAPE},
        {"Space", Qt::Key_Space, Shift, 65, VK_SPACE},
        {"Page Up", Qt::Key_PageUp, None, 112, VK_PRIOR},
        {"Home", Qt::Key_Home, Shift, 110, VK_HOME},
        {"Left", Qt::Key_Left, Qt::AltModifier, 113, VK_LEFT},
        {"F6", Qt::Key_F6, None, 72, VK_F6},
        {"Shift+F3", Qt::Key_F3, Shift, 69, VK_F3},
        {"a key with no code", Qt::Key_Eisu_toggle, None, 66, 0},
        {"Shift alone", Qt::Key_Shift, Shift, 50, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(VirtualKeyOf(c.qtKey, c.mods, c.scanCode), c.vk) << c.what;
}

}  // namespace
