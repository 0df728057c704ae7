// The settings value over the store: the 18 values in their order, the rules for a missing key and
// for each unreadable value, points and pixels, applying to a view, and deleting the settings.
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <climits>
#include <functional>

#include "platform/UserStore.h"

using platform::TRegistry;

namespace {

const QByteArray Head = "Windows Registry Editor Version 5.00\n\n";
const QByteArray KeyLine = "[HKEY_CURRENT_USER\\Software\\Q.Tabiri\\Tavuko]\n";

// The 18 names in their order.
const char* const Names[] = {"WindowPosX",   "WindowPosY",      "WindowWidth",  "WindowHeight", "FontName",
                             "FontSize",     "FontColor",       "BgColor",      "CRView",       "EditorName",
                             "SmoothScroll", "Last1PageScroll", "ExitEnterKey", "FgWindow",     "CRColor",
                             "CcrScroll",    "EditorParam",     "StatusBar"};

// A store holding every value, none of them at its default.
const std::vector<QByteArray> Stored = {
    "\"WindowPosX\"=dword:00000064",     "\"WindowPosY\"=dword:ffffffe2",    "\"WindowWidth\"=dword:00000320",
    "\"WindowHeight\"=dword:00000258",   "\"FontName\"=\"IPAGothic\"",       "\"FontSize\"=dword:0000000c",
    "\"FontColor\"=dword:0000ff00",      "\"BgColor\"=dword:00800000",       "\"CRView\"=dword:00000000",
    "\"EditorName\"=\"/usr/bin/gedit\"", "\"SmoothScroll\"=dword:00000001",  "\"Last1PageScroll\"=dword:00000002",
    "\"ExitEnterKey\"=dword:00000000",   "\"FgWindow\"=dword:00000001",      "\"CRColor\"=dword:000000ff",
    "\"CcrScroll\"=dword:00000001",      "\"EditorParam\"=\"+$line $file\"", "\"StatusBar\"=dword:00000001",
};

// What that store loads as, at 96 pixels per inch.
TSettings StoredSettings()
{
    TSettings s;
    s.WindowPosX = 100;
    s.WindowPosY = -30;
    s.WindowWidth = 800;
    s.WindowHeight = 600;
    s.FontName = QStringLiteral("IPAGothic");
    s.FontHeight = 16;
    s.FontColor = 0x00FF00;
    s.BgColor = 0x800000;
    s.CRView = false;
    s.EditorName = QStringLiteral("/usr/bin/gedit");
    s.SmoothScroll = true;
    s.Last1PageScroll = true;
    s.ExitEnterKey = false;
    s.FgWindow = true;
    s.CRColor = 0x0000FF;
    s.CcrScroll = true;
    s.EditorParam = QStringLiteral("+$line $file");
    s.StatusBar = true;
    return s;
}

void ExpectSame(const TSettings& a, const TSettings& b, const std::string& what)
{
    EXPECT_EQ(a.WindowPosX, b.WindowPosX) << what;
    EXPECT_EQ(a.WindowPosY, b.WindowPosY) << what;
    EXPECT_EQ(a.WindowWidth, b.WindowWidth) << what;
    EXPECT_EQ(a.WindowHeight, b.WindowHeight) << what;
    EXPECT_EQ(a.FontName.toStdString(), b.FontName.toStdString()) << what;
    EXPECT_EQ(a.FontHeight, b.FontHeight) << what;
    EXPECT_EQ(a.FontColor, b.FontColor) << what;
    EXPECT_EQ(a.BgColor, b.BgColor) << what;
    EXPECT_EQ(a.CRView, b.CRView) << what;
    EXPECT_EQ(a.CRColor, b.CRColor) << what;
    EXPECT_EQ(a.SmoothScroll, b.SmoothScroll) << what;
    EXPECT_EQ(a.Last1PageScroll, b.Last1PageScroll) << what;
    EXPECT_EQ(a.ExitEnterKey, b.ExitEnterKey) << what;
    EXPECT_EQ(a.FgWindow, b.FgWindow) << what;
    EXPECT_EQ(a.CcrScroll, b.CcrScroll) << what;
    EXPECT_EQ(a.EditorName.toStdString(), b.EditorName.toStdString()) << what;
    EXPECT_EQ(a.EditorParam.toStdString(), b.EditorParam.toStdString()) << what;
    EXPECT_EQ(a.StatusBar, b.StatusBar) << what;
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    void Put(const QByteArray& bytes)
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray Get() const
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    TSettings Loaded(int ppi = 96)
    {
        TRegistry reg(file);
        TSettings s;
        s.Load(reg, ppi);
        return s;
    }
    QByteArray Key(const std::vector<QByteArray>& lines) const
    {
        QByteArray k = Head + KeyLine;
        for (const QByteArray& l : lines) k += l + "\n";
        return k;
    }

    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("user.reg"));
};

TEST_F(SettingsTest, WithoutTheKeyTheSwitchesAndTheEditorTakeTheirDefaultsAndTheRestItsDesign)
{
    Put(Head + "[HKEY_CURRENT_USER\\Software\\Q.Tabiri\\Other]\n\"EditorName\"=\"vi\"\n");
    TSettings expected;
    expected.EditorName = QStringLiteral("xdg-open");
    expected.EditorParam = QStringLiteral("$file");
    expected.ExitEnterKey = true;
    ExpectSame(Loaded(), expected, "first run");
    EXPECT_FALSE(Loaded().WindowPosX.has_value());
}

TEST_F(SettingsTest, EveryValueIsReadAndAStoredNotepadIsKept)
{
    Put(Key(Stored));
    ExpectSame(Loaded(), StoredSettings(), "all stored");
    std::vector<QByteArray> notepad = Stored;
    notepad[9] = "\"EditorName\"=\"notepad.exe\"";
    Put(Key(notepad));
    EXPECT_EQ(Loaded().EditorName, QStringLiteral("notepad.exe"));
}

TEST_F(SettingsTest, EachUnreadableValueAffectsOnlyItsOwnSetting)
{
    // Per value: what makes it unreadable, and what its setting then becomes.
    const TSettings design;
    struct Case {
        int index;
        QByteArray bad;
        std::function<void(TSettings&)> expect;
    };
    const std::vector<Case> cases = {
        {0, "\"WindowPosX\"=\"100\"", [](TSettings& s) { s.WindowPosX.reset(); }},
        {1, "\"WindowPosY\"=hex:1e,00,00,00", [](TSettings& s) { s.WindowPosY.reset(); }},
        {2, "\"WindowWidth\"=hex(4):20,03", [](TSettings& s) { s.WindowWidth.reset(); }},
        {3, "\"WindowHeight\"=hex(5):00,00,02,58", [](TSettings& s) { s.WindowHeight.reset(); }},
        {4, "\"FontName\"=dword:00000001", [&](TSettings& s) { s.FontName = design.FontName; }},
        {4, "\"FontName\"=hex(1):", [&](TSettings& s) { s.FontName = design.FontName; }},  // size 0
        {4, "\"FontName\"=\"\"", [&](TSettings& s) { s.FontName = design.FontName; }},
        {4, "\"FontName\"=hex(2):49,00,50,00,00,00", [](TSettings& s) { s.FontName = QStringLiteral("IP"); }},
        {5, "\"FontSize\"=\"12\"", [&](TSettings& s) { s.FontHeight = design.FontHeight; }},
        // A size beyond what the view takes is the nearest it takes, not the one before.
        {5, "\"FontSize\"=dword:00000000", [](TSettings& s) { s.FontHeight = 1; }},
        {5, "\"FontSize\"=dword:fffffff7", [](TSettings& s) { s.FontHeight = 1; }},
        {5, "\"FontSize\"=dword:80000000", [](TSettings& s) { s.FontHeight = 1; }},
        {5, "\"FontSize\"=dword:000000c1", [](TSettings& s) { s.FontHeight = TSettings::MaxFontHeight; }},
        {5, "\"FontSize\"=dword:7fffffff", [](TSettings& s) { s.FontHeight = TSettings::MaxFontHeight; }},
        {6, "\"FontColor\"=\"red\"", [&](TSettings& s) { s.FontColor = design.FontColor; }},
        {7, "\"BgColor\"=hex:00", [&](TSettings& s) { s.BgColor = design.BgColor; }},
        {8, "\"CRView\"=\"0\"", [](TSettings& s) { s.CRView = true; }},
        {9, "\"EditorName\"=dword:00000001", [](TSettings& s) { s.EditorName = QStringLiteral("xdg-open"); }},
        {9, "\"Other\"=dword:00000001", [](TSettings& s) { s.EditorName = QString(); }},  // absent: ""
        {9, "\"EditorName\"=hex(4):", [](TSettings& s) { s.EditorName = QString(); }},    // size 0: ""
        {9, "\"EditorName\"=hex:", [](TSettings& s) { s.EditorName = QString(); }},
        {10, "\"SmoothScroll\"=\"1\"", [](TSettings& s) { s.SmoothScroll = false; }},
        {10, "\"Other\"=dword:00000001", [](TSettings& s) { s.SmoothScroll = false; }},
        {11, "\"Last1PageScroll\"=hex:01,00,00,00", [](TSettings& s) { s.Last1PageScroll = false; }},
        {12, "\"ExitEnterKey\"=\"0\"", [](TSettings& s) { s.ExitEnterKey = true; }},
        {13, "\"FgWindow\"=hex(b):01,00,00,00,00,00,00,00", [](TSettings& s) { s.FgWindow = false; }},
        {14, "\"CRColor\"=\"blue\"", [&](TSettings& s) { s.CRColor = design.CRColor; }},
        {15, "\"CcrScroll\"=\"1\"", [](TSettings& s) { s.CcrScroll = false; }},
        {16, "\"EditorParam\"=dword:00000000", [](TSettings& s) { s.EditorParam = QStringLiteral("$file"); }},
        {16, "\"Other2\"=dword:00000000", [](TSettings& s) { s.EditorParam = QString(); }},
        {17, "\"StatusBar\"=\"1\"", [](TSettings& s) { s.StatusBar = false; }},
        {17, "\"Other3\"=dword:00000001", [](TSettings& s) { s.StatusBar = false; }},
    };
    for (const Case& c : cases) {
        std::vector<QByteArray> lines = Stored;
        lines[c.index] = c.bad;
        Put(Key(lines));
        TSettings expected = StoredSettings();
        c.expect(expected);
        ExpectSame(Loaded(), expected, c.bad.toStdString());
    }
}

TEST_F(SettingsTest, SavedValuesComeBackAndStandInTheirOrder)
{
    const TSettings s = StoredSettings();
    TRegistry reg(file);
    ASSERT_EQ(s.Save(reg, 96), TSettings::TSaveResult::Saved);
    ExpectSame(Loaded(), s, "round trip");
    const QByteArray text = Get();
    qsizetype at = 0;
    for (const char* name : Names) {
        const qsizetype next = text.indexOf(QByteArray("\"") + name + "\"=", at);
        EXPECT_GT(next, at) << name;
        at = next;
    }
    EXPECT_TRUE(text.contains("\"FontSize\"=dword:0000000c\n"));  // 16 px at 96 per inch: 12 points
    EXPECT_TRUE(text.contains("\"BgColor\"=dword:00800000\n"));
    EXPECT_TRUE(text.contains("\"CRView\"=dword:00000000\n"));
    EXPECT_TRUE(text.contains("\"Last1PageScroll\"=dword:00000001\n"));
    EXPECT_TRUE(text.contains("\"EditorParam\"=\"+$line $file\"\n"));

    // Saving with nothing changed still writes every value: a value removed by hand comes back.
    Put(Get().replace("\"CcrScroll\"=dword:00000001\n", ""));
    TRegistry again(file);
    ASSERT_EQ(s.Save(again, 96), TSettings::TSaveResult::Saved);
    EXPECT_TRUE(Get().contains("\"CcrScroll\"=dword:00000001\n"));
}

TEST_F(SettingsTest, ASaveThatFailsIsReportedAsAWriteFailure)
{
    ASSERT_TRUE(QDir().mkpath(file));  // the store's place is taken by a folder
    TRegistry reg(file);
    EXPECT_EQ(StoredSettings().Save(reg, 96), TSettings::TSaveResult::WriteFailed);
}

TEST_F(SettingsTest, PointsAndPixelsConvertByTheScreensPixelsPerInch)
{
    struct Case {
        int points, ppi, pixels;
    };
    for (const Case& c : std::vector<Case>{{9, 96, 12},
                                           {9, 120, 15},
                                           {9, 144, 18},
                                           {7, 96, 9},
                                           {10, 96, 13},
                                           {3, 108, 4},  // 4.5: the even neighbour
                                           {5, 108, 8},  // 7.5
                                           {1, 108, 2}}) {
        EXPECT_EQ(PixelsFromPoints(c.points, c.ppi), c.pixels) << c.points << " pt at " << c.ppi;
    }
    for (const Case& c : std::vector<Case>{{9, 96, 12},
                                           {10, 96, 13},
                                           {3, 108, 4},
                                           {2, 144, 3},     // 1.5: the even neighbour
                                           {6, 144, 13},    // 6.5
                                           {8, 96, 10}}) {  // 7.5
        EXPECT_EQ(PointsFromPixels(c.pixels, c.ppi), c.points) << c.pixels << " px at " << c.ppi;
    }

    std::vector<QByteArray> lines = Stored;
    lines[5] = "\"FontSize\"=dword:00000009";
    Put(Key(lines));
    EXPECT_EQ(Loaded(96).FontHeight, 12);
    EXPECT_EQ(Loaded(120).FontHeight, 15);
    // Sizes beyond the heights the view takes give the nearest height it takes.
    for (const Case& c : std::vector<Case>{{192, 96, 256},
                                           {193, 96, 256},
                                           {INT_MAX, 96, 256},
                                           {1, 96, 1},
                                           {0, 96, 1},
                                           {-9, 96, 1},
                                           {INT_MIN, 96, 1},
                                           {154, 120, 256}}) {
        TSettings s;
        s.SetFontPoints(c.points, c.ppi);
        EXPECT_EQ(s.FontHeight, c.pixels) << c.points << " pt at " << c.ppi;
    }
}

TEST_F(SettingsTest, StoredGeometryIsFittedToTheScreensAsAWindowManagerFitsIt)
{
    // Two screens' available areas side by side, the primary first; a title bar of 20 pixels.
    const std::vector<QRect> screens = {QRect(0, 0, 1920, 1040), QRect(1920, 0, 1280, 1024)};
    const QRect current(10, 20, 522, 420);
    const QSize minimum(100, 50);
    using V = std::optional<int32_t>;
    struct Case {
        const char* name;
        V x, y, w, h;
        QRect fitted;
    };
    const std::vector<Case> cases = {
        {"nothing stored", {}, {}, {}, {}, current},
        {"the size alone, no smaller than the minimum", {}, {}, 800, 10, QRect(10, 20, 800, 50)},
        {"on the screen as stored", 100, 300, 800, 600, QRect(100, 300, 800, 600)},
        {"the title bar above the screen comes down", 100, -30, 800, 600, QRect(100, 20, 800, 600)},
        {"hanging off the right edge moves in", 3000, 500, 800, 600, QRect(2400, 500, 800, 600)},
        {"across both: onto the one holding more of it", 1500, 100, 800, 400, QRect(1120, 100, 800, 400)},
        {"below the shorter screen: its last row", 2000, 1030, 400, 300, QRect(2000, 1023, 400, 300)},
        {"larger than the screen", 0, 20, 5000, 5000, QRect(0, 20, 1920, 1040)},
        {"the largest numbers: the nearest screen, whole", INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX,
         QRect(1920, 1023, 1280, 1024)},
        {"the smallest numbers", INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN, QRect(0, 20, 100, 50)},
    };
    for (const Case& c : cases) {
        TSettings s;
        s.WindowPosX = c.x;
        s.WindowPosY = c.y;
        s.WindowWidth = c.w;
        s.WindowHeight = c.h;
        EXPECT_EQ(s.WindowGeometry(current, minimum, screens, 20), c.fitted) << c.name;
    }

    // Every value the store can hold: the window no larger than a screen, its title bar on it.
    const int32_t values[] = {INT32_MIN, -70000, -1, 0, 1, 700, 1919, 70000, INT32_MAX};
    for (int32_t x : values)
        for (int32_t y : values)
            for (int32_t w : values)
                for (int32_t h : values) {
                    TSettings s;
                    s.WindowPosX = x, s.WindowPosY = y, s.WindowWidth = w, s.WindowHeight = h;
                    const QRect g = s.WindowGeometry(current, minimum, screens, 20);
                    const QRect title(g.x(), g.y() - 20, g.width(), 21);
                    const bool onAScreen = std::any_of(screens.begin(), screens.end(), [&](const QRect& a) {
                        return a.contains(title) && g.width() <= a.width() && g.height() <= a.height();
                    });
                    ASSERT_TRUE(onAScreen && g.width() >= 100 && g.height() >= 50)
                        << x << " " << y << " " << w << " " << h;
                }

    TSettings s;
    EXPECT_FALSE(s.HasWindowPos());
    s.WindowPosY = -5;
    EXPECT_TRUE(s.HasWindowPos());
    s.TakeWindowGeometry(QRect(1, 2, 3, 4));
    EXPECT_EQ(s.WindowGeometry(current, QSize(), screens), QRect(1, 2, 3, 4));
}

// A store whose n-th save fails.
class TFailingRegistry : public TRegistry {
public:
    TFailingRegistry(const QString& file, int failing) : TRegistry(file), failing_(failing) {}
    bool Save() override { return ++saves_ == failing_ ? false : TRegistry::Save(); }

private:
    int failing_, saves_ = 0;
};

TEST_F(SettingsTest, DeletingGoesByWhatTheMakersKeyStillHolds)
{
    const QByteArray mine = KeyLine + "\"FontSize\"=dword:00000009\n\n";
    const QByteArray maker = "[HKEY_CURRENT_USER\\Software\\Q.Tabiri]\n\"Note\"=\"values do not count\"\n\n";
    const QByteArray sibling = "[HKEY_CURRENT_USER\\Software\\Q.Tabiri\\Other]\n\"X\"=dword:00000001\n\n";
    const QByteArray desktop = "[HKEY_CURRENT_USER\\Control Panel\\desktop]\n\"WheelScrollLines\"=\"3\"\n";
    struct Case {
        const char* name;
        QByteArray before;
        int failingSave;
        TDeleteResult result;
        QByteArray after;
    };
    const std::vector<Case> cases = {
        {"no key", Head + maker + desktop, 0, TDeleteResult::NotWritten, Head + maker + desktop},
        {"the key's deletion not saved", Head + maker + mine + desktop, 1, TDeleteResult::KeyNotDeleted,
         Head + maker + mine + desktop},
        // A hand-written store: the maker's key is there only as the key above this program's.
        {"the maker's key without a section", Head + mine + desktop, 0, TDeleteResult::Deleted, Head + desktop},
        {"another program's key kept", Head + maker + mine + sibling + desktop, 0, TDeleteResult::OthersKept,
         Head + maker + sibling + desktop},
        {"the maker's deletion not saved", Head + maker + mine + desktop, 2, TDeleteResult::MakerNotDeleted,
         Head + maker + desktop},
        {"both deleted", Head + maker + mine + desktop, 0, TDeleteResult::Deleted, Head + desktop},
    };
    for (const Case& c : cases) {
        Put(c.before);
        TFailingRegistry reg(file, c.failingSave);
        EXPECT_EQ(DeleteSettings(reg), c.result) << c.name;
        EXPECT_EQ(Get().toStdString(), c.after.toStdString()) << c.name;
    }
}

}  // namespace
