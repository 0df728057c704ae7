// The real program under an X server, driven by keys that xdotool sends: go to line puts the
// line at the top (the same view as paging there), Back returns to the place a file was left
// at, and F5 keeps the file line at the top of a file that grew, or shows the end of one that
// shrank past it. The Open dialog, opened on a shown file, takes a bare name from its folder.
#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>

#include "support/XDesktop.h"

namespace {

QString ProgramPath;

class PlaceDesktop : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid() && config.isValid()); }
    void TearDown() override
    {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished();
        }
        if (HasFailure()) {
            dir.setAutoRemove(false);
            std::fprintf(stderr, "files and shots kept in %s\n", qPrintable(dir.path()));
        }
    }

    // count lines "name: line n" (tabbed, so that each line's pixels differ), CR LF ends.
    void Write(const QString& name, int count)
    {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        for (int i = 0; i < count; ++i) f.write(name.toLatin1() + ":\tline " + QByteArray::number(i + 1) + "\r\n");
    }
    void Start(const QString& name)
    {
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());  // the design settings
        program.setProcessEnvironment(env);
        program.start(ProgramPath, {dir.filePath(name)});
        ASSERT_TRUE(program.waitForStarted(5000)) << ProgramPath.toStdString();
        ASSERT_TRUE(WaitFor([&] { return !(window = FindWindow(TitlePattern(name))).isEmpty(); }))
            << "no window captioned with the file name";
        XDoTool({QStringLiteral("windowraise"), window});
        Focus();
    }
    // Without a window manager the focus does not come back by itself when a dialog closes.
    void Focus() const { XDoTool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window}); }
    static QString TitlePattern(const QString& name)
    {
        return QStringLiteral("/") + QString(name).replace(QLatin1Char('.'), QStringLiteral("\\.")) +
               QStringLiteral(" - Tavuko$");
    }
    bool TitleIs(const QString& name) const
    {
        return XDoTool({QStringLiteral("getwindowname"), window}) == dir.filePath(name) + QStringLiteral(" - Tavuko");
    }
    // Keys typed into the window as the keyboard types them (shortcuts act only in the active window).
    void Key(const char* keys)
    {
        XDoTool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window, QStringLiteral("key"),
                 QStringLiteral("--clearmodifiers"), QString::fromLatin1(keys)});
    }
    // Types text into a dialog and presses Enter.
    static void Enter(const QString& dialog, const char* text)
    {
        XDoTool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), dialog, QStringLiteral("type"),
                 QString::fromLatin1(text)});
        XDoTool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("Return")});
    }
    QImage Shot() const { return QGuiApplication::primaryScreen()->grabWindow(WId(window.toULongLong())).toImage(); }
    // The text area: the window without the scroll bar at its right.
    QImage Text() const
    {
        const QImage s = Shot();
        return s.copy(0, 0, s.width() - 24, s.height());
    }
    // Waits until the shots satisfy done; returns the last one.
    QImage WaitShot(const std::function<bool(const QImage&)>& done, bool textOnly = false) const
    {
        QImage shot;
        WaitFor([&] { return done(shot = textOnly ? Text() : Shot()); }, 5000);
        return shot;
    }
    void Keep(const QImage& shot, const char* name) const { shot.save(dir.filePath(QString::fromLatin1(name))); }

    QTemporaryDir dir, config;
    QProcess program;
    QString window;
};

bool Drawn(const QImage& img)
{
    for (int y = img.height() / 4; y < img.height() / 2; ++y)
        for (int x = 8; x < img.width() / 2; ++x)
            if (qGray(img.pixel(x, y)) > 180) return true;
    return false;
}

TEST_F(PlaceDesktop, GoToLineBackAndReloadKeepThePlace)
{
    Write(QStringLiteral("a.txt"), 300);
    Write(QStringLiteral("b.txt"), 50);
    ASSERT_NO_FATAL_FAILURE(Start(QStringLiteral("a.txt")));
    const QImage top = WaitShot(Drawn);
    ASSERT_TRUE(Drawn(top)) << "no text drawn";

    // Go to line 31 shows what one page down shows: 30 lines a page.
    Key("Next");
    const QImage page = WaitShot([&](const QImage& s) { return s != top; });
    ASSERT_NE(page, top);
    Key("Home");
    ASSERT_EQ(WaitShot([&](const QImage& s) { return s == top; }), top);
    Key("alt+g");
    QThread::msleep(300);
    Key("j");
    QString dialog;
    ASSERT_TRUE(WaitFor([&] { return !(dialog = FindWindow(QStringLiteral("^指定行へ移動$"))).isEmpty(); }, 5000))
        << "no go-to-line dialog";
    QThread::msleep(300);
    Enter(dialog, "31");
    ASSERT_TRUE(WaitFor([] { return FindWindow(QStringLiteral("^指定行へ移動$")).isEmpty(); }, 5000))
        << "the dialog stayed";
    Focus();
    const QImage went = WaitShot([&](const QImage& s) { return s == page; });
    EXPECT_EQ(went, page) << "line 31 is not at the top";
    if (went != page) Keep(went, "went.png"), Keep(page, "page.png");

    // Two pages further, then another file from the Open dialog, then Back.
    Key("Next");
    Key("Next");
    const QImage left = WaitShot([&](const QImage& s) { return s != page && s != top; });
    QThread::msleep(300);
    const QImage leftText = Text();
    Key("ctrl+o");
    ASSERT_TRUE(WaitFor([&] { return !(dialog = FindWindow(QStringLiteral("^ファイルを開く$"))).isEmpty(); }, 5000))
        << "the Open dialog did not open";
    QThread::msleep(500);
    // A bare name: the dialog is in the shown file's folder.
    Enter(dialog, "b.txt");
    ASSERT_TRUE(WaitFor([&] { return TitleIs(QStringLiteral("b.txt")); }, 5000)) << "b.txt did not open";
    ASSERT_TRUE(WaitFor([] { return FindWindow(QStringLiteral("^ファイルを開く$")).isEmpty(); }, 5000))
        << "the dialog stayed";
    Focus();
    Key("BackSpace");
    ASSERT_TRUE(WaitFor([&] { return TitleIs(QStringLiteral("a.txt")); }, 5000)) << "Back did not return to a.txt";
    const QImage back = WaitShot([&](const QImage& s) { return s == left; });
    EXPECT_EQ(back, left) << "Back did not return to the place left";
    if (back != left) Keep(back, "back.png"), Keep(left, "left.png");

    // The file grows: F5 shows the same lines at the top.
    {
        QFile f(dir.filePath(QStringLiteral("a.txt")));
        ASSERT_TRUE(f.open(QIODevice::Append));
        for (int i = 0; i < 500; ++i) f.write("appended\r\n");
    }
    Key("F5");
    const QImage grown = WaitShot([&](const QImage& s) { return s != left; });  // the scroll bar's thumb shrinks
    EXPECT_NE(grown, left) << "F5 did not read the grown file";
    const QImage grownText = WaitShot([&](const QImage& s) { return s == leftText; }, true);
    EXPECT_EQ(grownText, leftText) << "F5 did not keep the file line at the top";
    if (grownText != leftText) Keep(grownText, "grown.png"), Keep(leftText, "left-text.png");

    // It shrinks past the top line: F5 shows the end, where End changes nothing.
    Write(QStringLiteral("a.txt"), 40);
    Key("F5");
    const QImage shrunk = WaitShot([&](const QImage& s) { return s != grown && Drawn(s); });
    QThread::msleep(300);
    const QImage end = Shot();
    Key("End");
    QThread::msleep(500);
    EXPECT_EQ(Shot(), end) << "F5 on a file that lost the top line did not show its end";
    Key("Home");
    EXPECT_NE(WaitShot([&](const QImage& s) { return s != end; }), end) << "the end is the top";
    if (HasFailure()) Keep(shrunk, "shrunk.png"), Keep(end, "end.png");
}

}  // namespace

int main(int argc, char** argv) { return RunDesktopTests(argc, argv, ProgramPath); }
