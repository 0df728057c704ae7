#pragma once
// The viewer's settings: the values kept in the per-user store between runs. Until the store
// is read, each holds the main window's design value.
#include <QString>

struct TSettings {
    // Behaviour switches.
    bool SmoothScroll = false;     // page moves run in steps
    bool Last1PageScroll = false;  // page down moves a whole page even near the end
    bool ExitEnterKey = false;     // Enter closes the window
    bool FgWindow = false;         // a dropped file brings the window to the front
    bool CcrScroll = false;        // C and R page down and up; Copy moves to Shift+F8
    // The external editor: program and parameter template.
    QString EditorName;
    QString EditorParam;
};
