// Virtual-key codes from Qt's key events.
#include "platform/VirtualKeys.h"

#include <array>
#include <utility>

namespace platform {

namespace {

// Qt keys and their codes. A shifted character is listed with its key where the Japanese and
// the US layout agree on which key types it (< is Shift+, on both); where they disagree the
// place decides first (see VirtualKeyOf).
// clang-format off
constexpr std::array<std::pair<int, int>, 43> KeyTable{{
    {Qt::Key_Backspace, VK_BACK},      {Qt::Key_Tab, VK_TAB},
    {Qt::Key_Backtab, VK_TAB},         {Qt::Key_Return, VK_RETURN},
    {Qt::Key_Enter, VK_RETURN},        {Qt::Key_Pause, VK_PAUSE},
    {Qt::Key_Escape, VK_ESCAPE},       {Qt::Key_Space, VK_SPACE},
    {Qt::Key_PageUp, VK_PRIOR},        {Qt::Key_PageDown, VK_NEXT},
    {Qt::Key_End, VK_END},             {Qt::Key_Home, VK_HOME},
    {Qt::Key_Left, VK_LEFT},           {Qt::Key_Up, VK_UP},
    {Qt::Key_Right, VK_RIGHT},         {Qt::Key_Down, VK_DOWN},
    {Qt::Key_Insert, VK_INSERT},       {Qt::Key_Delete, VK_DELETE},
    {Qt::Key_Semicolon, VK_OEM_1},     {Qt::Key_Colon, VK_OEM_1},
    {Qt::Key_Equal, VK_OEM_PLUS},      {Qt::Key_Plus, VK_OEM_PLUS},
    {Qt::Key_Comma, VK_OEM_COMMA},     {Qt::Key_Less, VK_OEM_COMMA},
    {Qt::Key_Minus, VK_OEM_MINUS},     {Qt::Key_Underscore, VK_OEM_MINUS},
    {Qt::Key_Period, VK_OEM_PERIOD},   {Qt::Key_Greater, VK_OEM_PERIOD},
    {Qt::Key_Slash, VK_OEM_2},         {Qt::Key_Question, VK_OEM_2},
    {Qt::Key_QuoteLeft, VK_OEM_3},     {Qt::Key_At, VK_OEM_3},
    {Qt::Key_AsciiTilde, VK_OEM_3},    {Qt::Key_BracketLeft, VK_OEM_4},
    {Qt::Key_BraceLeft, VK_OEM_4},     {Qt::Key_Backslash, VK_OEM_5},
    {Qt::Key_Bar, VK_OEM_5},           {Qt::Key_yen, VK_OEM_5},
    {Qt::Key_BracketRight, VK_OEM_6},  {Qt::Key_BraceRight, VK_OEM_6},
    {Qt::Key_Apostrophe, VK_OEM_7},    {Qt::Key_QuoteDbl, VK_OEM_7},
    {Qt::Key_AsciiCircum, VK_OEM_7},
}};
// clang-format on

// The numeric keypad's own keys (with Num Lock on); its arrows, Home and Enter are the keys
// they stand for.
int KeypadKey(int qtKey)
{
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return VK_NUMPAD0 + (qtKey - Qt::Key_0);
    switch (qtKey) {
    case Qt::Key_Asterisk: return VK_MULTIPLY;
    case Qt::Key_Plus: return VK_ADD;
    case Qt::Key_Minus: return VK_SUBTRACT;
    case Qt::Key_Period:
    case Qt::Key_Comma: return VK_DECIMAL;
    case Qt::Key_Slash: return VK_DIVIDE;
    default: return 0;
    }
}

// Keys judged by place: the top row's digits whatever Shift makes them type (Shift+2 is " on
// a Japanese layout, @ on a US one), the Japanese ろ key and the ISO key beside it, and the
// Japanese ^ key, whose Shift gives the ~ that a US layout types elsewhere.
int KeyByPlace(int qtKey, uint32_t scanCode)
{
    if (scanCode >= xkb::AE01 && scanCode <= xkb::AE10)
        return scanCode == xkb::AE10 ? '0' : int('1' + (scanCode - xkb::AE01));
    if (scanCode == xkb::AB11 || scanCode == xkb::LSGT) return VK_OEM_102;
    if (scanCode == xkb::AE12 && (qtKey == Qt::Key_AsciiCircum || qtKey == Qt::Key_AsciiTilde)) return VK_OEM_7;
    return 0;
}

}  // namespace

int VirtualKeyOf(int qtKey, Qt::KeyboardModifiers modifiers, uint32_t nativeScanCode)
{
    if (modifiers & Qt::KeypadModifier)
        if (const int vk = KeypadKey(qtKey)) return vk;
    if (const int vk = KeyByPlace(qtKey, nativeScanCode)) return vk;
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return 'A' + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return '0' + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return VK_F1 + (qtKey - Qt::Key_F1);
    for (const auto& [key, vk] : KeyTable)
        if (key == qtKey) return vk;
    return 0;
}

}  // namespace platform
