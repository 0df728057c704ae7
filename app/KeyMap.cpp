// The key map as one table, read from the top: the first row whose key and conditions hold
// gives the command.
#include "app/KeyMap.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "platform/VirtualKeys.h"

using namespace platform;

namespace {

// A modifier's condition in a row.
enum class Mod : uint8_t { Any, Held, Free };
// The window's state a row needs besides the modifiers.
enum class Needs : uint8_t {
    Nothing,
    BackEnabled,
    ForwardEnabled,
    ExitEnterKey,
    NoExitEnterKey,
    MailLinked,
    CcrScroll,
    NoCcrScroll
};

struct Row {
    std::array<uint8_t, 8> keys;  // up to eight keys, the rest 0
    Mod alt, shift, ctrl;
    Needs needs;
    TKeyCommand command;
};

using C = TKeyCommand;
constexpr Mod Any = Mod::Any, Held = Mod::Held, Free = Mod::Free;

constexpr Row Table[] = {
    // With Alt held only these two rows apply.
    {{VK_LEFT}, Held, Any, Any, Needs::BackEnabled, C::Back},
    {{VK_RIGHT}, Held, Any, Any, Needs::ForwardEnabled, C::Forward},

    {{VK_BACK}, Free, Free, Any, Needs::BackEnabled, C::Back},
    {{VK_BACK}, Free, Held, Any, Needs::ForwardEnabled, C::Forward},
    {{VK_RETURN}, Free, Held, Any, Needs::Nothing, C::ExecEditor},
    {{VK_RETURN}, Free, Free, Any, Needs::ExitEnterKey, C::CloseWindow},
    {{VK_RETURN}, Free, Free, Any, Needs::NoExitEnterKey, C::LineDown},
    {{VK_ESCAPE, 'Q'}, Free, Any, Any, Needs::Nothing, C::Exit},
    {{VK_SPACE}, Free, Free, Any, Needs::Nothing, C::PageDown},
    {{VK_SPACE}, Free, Held, Any, Needs::Nothing, C::PageUp},
    {{VK_PRIOR, 'B', 'W'}, Free, Any, Any, Needs::Nothing, C::PageUp},
    {{VK_NEXT, 'F', 'Z'}, Free, Any, Any, Needs::Nothing, C::PageDown},
    {{VK_END}, Free, Free, Any, Needs::Nothing, C::ToEnd},
    {{VK_END}, Free, Held, Any, Needs::Nothing, C::ToTop},
    {{VK_HOME, 'G'}, Free, Free, Any, Needs::Nothing, C::ToTop},
    {{VK_HOME, 'G'}, Free, Held, Any, Needs::Nothing, C::ToEnd},
    {{VK_OEM_COMMA}, Free, Free, Any, Needs::Nothing, C::PageUp},
    {{VK_OEM_COMMA}, Free, Held, Any, Needs::Nothing, C::ToTop},
    {{VK_OEM_PERIOD}, Free, Free, Any, Needs::Nothing, C::PageDown},
    {{VK_OEM_PERIOD}, Free, Held, Any, Needs::Nothing, C::ToEnd},
    {{VK_UP, 'K'}, Free, Held, Any, Needs::Nothing, C::StepUp},
    {{VK_UP, 'K'}, Free, Free, Held, Needs::Nothing, C::PageUp},
    {{VK_UP, 'K'}, Free, Free, Free, Needs::Nothing, C::LineUp},
    {{VK_DOWN, 'J'}, Free, Held, Any, Needs::Nothing, C::StepDown},
    {{VK_DOWN, 'J'}, Free, Free, Held, Needs::Nothing, C::PageDown},
    {{VK_DOWN, 'J'}, Free, Free, Free, Needs::Nothing, C::LineDown},
    {{'E'}, Free, Held, Any, Needs::Nothing, C::StepUp},
    {{'E'}, Free, Free, Any, Needs::Nothing, C::LineUp},
    {{'X'}, Free, Held, Any, Needs::Nothing, C::StepDown},
    {{'X'}, Free, Free, Any, Needs::Nothing, C::LineDown},
    {{'P'}, Free, Held, Held, Needs::Nothing, C::StepUp},
    {{'P'}, Free, Free, Held, Needs::Nothing, C::LineUp},
    {{'P'}, Free, Any, Free, Needs::Nothing, C::ToTop},
    {{'N'}, Free, Held, Held, Needs::Nothing, C::StepDown},
    {{'N'}, Free, Free, Held, Needs::Nothing, C::LineDown},
    {{'N'}, Free, Held, Free, Needs::Nothing, C::FindPrevious},
    {{'N'}, Free, Free, Free, Needs::Nothing, C::FindNext},
    {{VK_LEFT, 'H'}, Free, Any, Any, Needs::MailLinked, C::MailPrevious},
    {{VK_RIGHT}, Free, Any, Any, Needs::MailLinked, C::MailNext},
    {{'L'}, Free, Any, Held, Needs::Nothing, C::Reload},
    {{'L'}, Free, Any, Free, Needs::MailLinked, C::MailNext},
    {{'C'}, Free, Any, Any, Needs::CcrScroll, C::PageDown},
    {{'R'}, Free, Any, Any, Needs::CcrScroll, C::PageUp},
    {{'R'}, Free, Any, Any, Needs::NoCcrScroll, C::Reload},
    {{'S'}, Free, Any, Held, Needs::Nothing, C::FindDialog},
    {{VK_F6, VK_OEM_2, VK_OEM_7}, Free, Any, Any, Needs::Nothing, C::FindDialog},
    {{VK_OEM_4}, Free, Any, Held, Needs::Nothing, C::Exit},
    {{VK_OEM_4}, Free, Any, Free, Needs::Nothing, C::FindPrevious},
    {{VK_OEM_6}, Free, Any, Any, Needs::Nothing, C::FindNext},
    {{'O'}, Free, Any, Any, Needs::Nothing, C::Open},
    {{'V'}, Free, Any, Any, Needs::Nothing, C::ExecEditor},
    {{'1', '2', '3', '4', '5', '6', '7', '8'}, Free, Any, Any, Needs::Nothing, C::TabStop},
    {{VK_OEM_102}, Free, Held, Any, Needs::Nothing, C::ToggleMailLink},
};

bool Holds(Mod m, bool down) { return m == Mod::Any || (m == Mod::Held) == down; }

bool Holds(Needs n, const TKeyState& s)
{
    switch (n) {
    case Needs::Nothing: return true;
    case Needs::BackEnabled: return s.BackEnabled;
    case Needs::ForwardEnabled: return s.ForwardEnabled;
    case Needs::ExitEnterKey: return s.ExitEnterKey;
    case Needs::NoExitEnterKey: return !s.ExitEnterKey;
    case Needs::MailLinked: return s.MailLinked;
    case Needs::CcrScroll: return s.CcrScroll;
    case Needs::NoCcrScroll: return !s.CcrScroll;
    }
    return false;
}

}  // namespace

TKeyCommand KeyCommand(int virtualKey, const TKeyState& state)
{
    if (virtualKey <= 0 || virtualKey > 0xFF) return C::None;
    for (const Row& r : Table) {
        if (std::find(r.keys.begin(), r.keys.end(), uint8_t(virtualKey)) == r.keys.end()) continue;
        if (Holds(r.alt, state.Alt) && Holds(r.shift, state.Shift) && Holds(r.ctrl, state.Ctrl) &&
            Holds(r.needs, state))
            return r.command;
    }
    return C::None;
}
