#pragma once
// The main window's key map: a key (virtual-key code) with its Shift, Ctrl and Alt state and the
// window's state it depends on, to the command it runs. Keys that are menu shortcuts never get
// here; the menu takes them first.

// clang-format off
enum class TKeyCommand {
    None,
    Back,            // the history's Back
    Forward,         // the history's Forward
    ExecEditor,      // the external editor
    CloseWindow,     // close the main window as it is
    Exit,            // empty the view, then close the main window
    LineUp,          // ScrollLinesUp (1)
    LineDown,        // ScrollLinesDown (1)
    StepUp,          // ScrollLinesUp (StepLines)
    StepDown,        // ScrollLinesDown (StepLines)
    PageUp,          // ScrollPageUp
    PageDown,        // ScrollPageDown
    ToTop,           // ScrollToTop
    ToEnd,           // ScrollToEnd
    FindDialog,      // Edit1Click, then the find dialog
    FindNext,        // Edit1Click, then find next
    FindPrevious,    // Edit1Click, then find previous
    MailPrevious,    // the mail client's previous message
    MailNext,        // the mail client's next message
    Reload,
    Open,
    TabStop,         // ViewTabStop becomes the digit of the key
    ToggleMailLink,
};
// clang-format on

// What a key's command depends on besides the key.
struct TKeyState {
    bool Shift = false, Ctrl = false, Alt = false;
    bool BackEnabled = false, ForwardEnabled = false;  // the Go menu's items
    bool ExitEnterKey = false, CcrScroll = false;      // settings
    bool MailLinked = false;
};

// The command of a key; None for keys not in the map.
TKeyCommand KeyCommand(int virtualKey, const TKeyState& state);
