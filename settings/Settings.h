#pragma once
// The viewer's settings: the 17 values kept in the per-user store between runs. A default
// TSettings holds the main window's design values; loading replaces them by what the store
// holds, by the store's rules for a missing key and for each value that cannot be read.
#include <QRect>
#include <QSize>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/Color.h"

namespace platform {
class TRegistry;
}

struct TSettings {
    // The main window's left and top edges and its size (menu bar included, the window manager's
    // frame not); none: the window system's placement and the design size.
    std::optional<int32_t> WindowPosX, WindowPosY, WindowWidth, WindowHeight;
    // The view font, its colour, the view's background, its line-end marks and their colour.
    QString FontName = QStringLiteral("ＭＳ ゴシック");
    int FontHeight = 12;  // character height in pixels: 9 points at 96 pixels per inch
    TColor FontColor = clWhite;
    TColor BgColor = clBlack;
    bool CRView = true;
    TColor CRColor = clAqua;
    // Behaviour switches.
    bool SmoothScroll = false;     // page moves run in steps
    bool Last1PageScroll = false;  // page down moves a whole page even near the end
    bool ExitEnterKey = false;     // Enter closes the window
    bool FgWindow = false;         // a dropped file brings the window to the front
    bool CcrScroll = false;        // C and R page down and up; Copy moves to Shift+F8
    // The external editor: program and parameter template.
    QString EditorName;
    QString EditorParam;

    static constexpr const char* Key = "\\Software\\Q.Tabiri\\Tavuko";
    static constexpr const char* MakerKey = "\\Software\\Q.Tabiri";
    // The editor of a first run: the desktop's program for the file.
    static constexpr const char* DefaultEditor = "xdg-open";
    // Font heights a size may give; a size beyond them gives the nearest of them, so that a
    // damaged store cannot ask for a font whose screen map no memory holds.
    static constexpr int MaxFontHeight = 256;

    // Reads the 17 values in their order from the store's key; pixelsPerInch turns the stored
    // points into the font's pixel height.
    void Load(platform::TRegistry& reg, int pixelsPerInch);
    enum class TSaveResult { Saved, KeyNotOpened, WriteFailed };
    // Writes the 17 values in their order and saves the store.
    TSaveResult Save(platform::TRegistry& reg, int pixelsPerInch) const;
    // Sets the font height from a size in points: the nearest height in 1 .. MaxFontHeight pixels.
    void SetFontPoints(int points, int pixelsPerInch);
    int FontPoints(int pixelsPerInch) const;

    // The window geometry current with the stored values put in, fitted as a window manager fits
    // a window to the screens (their available areas): no smaller than minimum, no larger than
    // the screen it lands on, and its title bar (the frameTop pixels above its top edge and its
    // first row, across its whole width) on that screen, whatever numbers the store held.
    QRect WindowGeometry(QRect current, QSize minimum, const std::vector<QRect>& screens, int frameTop = 0) const;
    bool HasWindowPos() const { return WindowPosX || WindowPosY; }
    void TakeWindowGeometry(const QRect& normal);
};

// nearest(points × pixelsPerInch / 72) and back, exact halves to the even neighbour.
int PixelsFromPoints(int points, int pixelsPerInch);
int PointsFromPixels(int pixels, int pixelsPerInch);

// Deleting the settings: this program's key, then the maker's key unless another program's key
// lies under it. Each outcome has its own message.
enum class TDeleteResult {
    NotWritten,       // this program's key was not there
    KeyNotDeleted,    // it could not be deleted
    OthersKept,       // deleted; the maker's key kept for the other programs' keys under it
    MakerNotDeleted,  // deleted; the maker's key could not be
    Deleted           // deleted with the maker's key
};
TDeleteResult DeleteSettings(platform::TRegistry& reg);
