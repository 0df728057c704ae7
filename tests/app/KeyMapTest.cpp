// The key map: keys with their modifiers and the window's state to commands.
#include <gtest/gtest.h>

#include <string>

#include "app/KeyMap.h"
#include "platform/VirtualKeys.h"

using namespace platform;
using C = TKeyCommand;

namespace {

// A state written as letters: s Shift, c Ctrl, a Alt, b Back enabled, f Forward enabled,
// x ExitEnterKey, r CcrScroll, m mail linked.
TKeyState State(const std::string& flags)
{
    TKeyState s;
    for (char f : flags) {
        switch (f) {
        case 's': s.Shift = true; break;
        case 'c': s.Ctrl = true; break;
        case 'a': s.Alt = true; break;
        case 'b': s.BackEnabled = true; break;
        case 'f': s.ForwardEnabled = true; break;
        case 'x': s.ExitEnterKey = true; break;
        case 'r': s.CcrScroll = true; break;
        case 'm': s.MailLinked = true; break;
        default: ADD_FAILURE() << "unknown flag " << f;
        }
    }
    return s;
}

struct Case {
    int key;
    const char* state;
    TKeyCommand command;
};

TEST(KeyMap, EachKeyGivesItsCommandForItsModifiersAndState)
{
    const Case cases[] = {
        // Alt: Back and Forward when enabled, and nothing else at all.
        {VK_LEFT, "ab", C::Back},
        {VK_LEFT, "asb", C::Back},
        {VK_LEFT, "a", C::None},
        {VK_LEFT, "am", C::None},
        {VK_RIGHT, "af", C::Forward},
        {VK_RIGHT, "a", C::None},
        {VK_NEXT, "a", C::None},
        {'F', "a", C::None},
        {'1', "a", C::None},
        {VK_ESCAPE, "a", C::None},
        // Backspace.
        {VK_BACK, "b", C::Back},
        {VK_BACK, "cb", C::Back},
        {VK_BACK, "", C::None},
        {VK_BACK, "sf", C::Forward},
        {VK_BACK, "sb", C::None},
        // Enter.
        {VK_RETURN, "s", C::ExecEditor},
        {VK_RETURN, "sx", C::ExecEditor},
        {VK_RETURN, "x", C::CloseWindow},
        {VK_RETURN, "", C::LineDown},
        // Exit.
        {VK_ESCAPE, "", C::Exit},
        {'Q', "sc", C::Exit},
        // Pages and ends.
        {VK_SPACE, "", C::PageDown},
        {VK_SPACE, "s", C::PageUp},
        {VK_PRIOR, "sc", C::PageUp},
        {'B', "", C::PageUp},
        {'W', "s", C::PageUp},
        {VK_NEXT, "c", C::PageDown},
        {'F', "", C::PageDown},
        {'F', "c", C::PageDown},  // reaches the map only when Ctrl+F is no menu shortcut
        {'Z', "s", C::PageDown},
        {VK_END, "", C::ToEnd},
        {VK_END, "s", C::ToTop},
        {VK_HOME, "c", C::ToTop},
        {'G', "s", C::ToEnd},
        {VK_OEM_COMMA, "", C::PageUp},
        {VK_OEM_COMMA, "s", C::ToTop},
        {VK_OEM_PERIOD, "c", C::PageDown},
        {VK_OEM_PERIOD, "s", C::ToEnd},
        // Lines.
        {VK_UP, "", C::LineUp},
        {VK_UP, "s", C::StepUp},
        {VK_UP, "sc", C::StepUp},
        {VK_UP, "c", C::PageUp},
        {'K', "c", C::PageUp},
        {VK_DOWN, "", C::LineDown},
        {'J', "sc", C::StepDown},
        {VK_DOWN, "c", C::PageDown},
        {'E', "c", C::LineUp},
        {'E', "s", C::StepUp},
        {'X', "", C::LineDown},
        {'X', "sc", C::StepDown},
        {'P', "", C::ToTop},
        {'P', "s", C::ToTop},
        {'P', "c", C::LineUp},
        {'P', "sc", C::StepUp},
        {'N', "sc", C::StepDown},
        {'N', "c", C::LineDown},
        {'N', "s", C::FindPrevious},
        {'N', "", C::FindNext},
        // The mail client.
        {VK_LEFT, "m", C::MailPrevious},
        {'H', "sm", C::MailPrevious},
        {'H', "", C::None},
        {VK_RIGHT, "cm", C::MailNext},
        {VK_RIGHT, "", C::None},
        {'L', "m", C::MailNext},
        {'L', "", C::None},
        {'L', "c", C::Reload},
        {'L', "cm", C::Reload},
        {VK_OEM_102, "s", C::ToggleMailLink},
        {VK_OEM_102, "", C::None},
        // C and R by CcrScroll.
        {'C', "r", C::PageDown},
        {'C', "cr", C::PageDown},
        {'C', "", C::None},
        {'R', "r", C::PageUp},
        {'R', "", C::Reload},
        {'R', "c", C::Reload},
        // Find.
        {'S', "c", C::FindDialog},
        {'S', "", C::None},
        {VK_F6, "s", C::FindDialog},
        {VK_OEM_2, "", C::FindDialog},
        {VK_OEM_7, "s", C::FindDialog},
        {VK_OEM_4, "", C::FindPrevious},
        {VK_OEM_4, "s", C::FindPrevious},
        {VK_OEM_4, "c", C::Exit},
        {VK_OEM_6, "c", C::FindNext},
        // Open, editor, tab width.
        {'O', "", C::Open},
        {'V', "sc", C::ExecEditor},
        {'1', "", C::TabStop},
        {'8', "s", C::TabStop},
        // Not in the map.
        {'0', "", C::None},
        {'9', "", C::None},
        {'A', "", C::None},
        {'D', "", C::None},
        {'I', "", C::None},
        {'M', "", C::None},
        {'T', "", C::None},
        {'U', "", C::None},
        {'Y', "", C::None},
        {VK_F1 + 6, "", C::None},  // F7
        {VK_F5, "", C::None},
        {VK_NUMPAD0 + 3, "", C::None},
        {VK_OEM_5, "", C::None},
        {0, "", C::None},
        {0x1FF, "", C::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(int(KeyCommand(c.key, State(c.state))), int(c.command))
            << "key 0x" << std::hex << c.key << " state " << c.state;
}

}  // namespace
