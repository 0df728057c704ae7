// The real program under an X server, driven by keys that xdotool sends: paging moves the view
// and back again; on a Japanese layout Shift+2 (which types ") still sets the tab width 2, and
// Ctrl with the [ key (another key than on a US layout) closes the window.
#include <gtest/gtest.h>

#include <QElapsedTimer>
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

class KeysDesktop : public ::testing::Test {
protected:
    void TearDown() override
    {
        QProcess::execute(QStringLiteral("setxkbmap"), {QStringLiteral("-layout"), QStringLiteral("us")});
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished();
        }
    }

    // Starts the program on a file and waits for its window with the text drawn.
    void Start(const QString& file)
    {
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(ProgramPath, {file});
        ASSERT_TRUE(program.waitForStarted(5000)) << ProgramPath.toStdString();
        QElapsedTimer t;
        t.start();
        while (window.isEmpty() && t.elapsed() < 15000 && program.state() == QProcess::Running) {
            window = XDoTool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                              QStringLiteral("/keys\\.txt - Tavuko$")})
                         .section(QLatin1Char('\n'), 0, 0);
            if (window.isEmpty()) QThread::msleep(50);
        }
        ASSERT_FALSE(window.isEmpty()) << "no window captioned with the file name";
        XDoTool({QStringLiteral("windowraise"), window});
        XDoTool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
    }
    QImage Shot() const { return QGuiApplication::primaryScreen()->grabWindow(WId(window.toULongLong())).toImage(); }
    // Waits until the window's pixels satisfy done; returns the last shot.
    QImage WaitFor(const std::function<bool(const QImage&)>& done) const
    {
        QImage shot;
        QElapsedTimer t;
        t.start();
        do {
            shot = Shot();
            if (done(shot)) break;
            QThread::msleep(50);
        } while (t.elapsed() < 5000);
        return shot;
    }
    void Key(const char* keys)
    {
        XDoTool({QStringLiteral("key"), QStringLiteral("--window"), window, QStringLiteral("--clearmodifiers"),
                 QString::fromLatin1(keys)});
    }

    QProcess program;
    QString window;
};

TEST_F(KeysDesktop, PagingMovesTheViewAndTheJapaneseLayoutKeysAreTheSameKeys)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("keys.txt"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        for (int i = 0; i < 200; ++i) f.write("\tline " + QByteArray::number(i) + "\r\n");
    }
    ASSERT_NO_FATAL_FAILURE(Start(file));
    const auto drawn = [](const QImage& img) {
        for (int y = img.height() / 4; y < img.height() / 2; ++y)
            for (int x = 8; x < img.width() / 2; ++x)
                if (qGray(img.pixel(x, y)) > 180) return true;
        return false;
    };
    const QImage first = WaitFor(drawn);
    ASSERT_TRUE(drawn(first)) << "no text drawn";
    const auto differs = [&](const QImage& s) { return s != first; };
    const auto same = [&](const QImage& s) { return s == first; };

    Key("Next");
    EXPECT_TRUE(WaitFor(differs) != first) << "Page Down did not move the view";
    Key("Prior");
    EXPECT_TRUE(WaitFor(same) == first) << "Page Up did not come back";

    ASSERT_EQ(QProcess::execute(QStringLiteral("setxkbmap"), {QStringLiteral("-layout"), QStringLiteral("jp")}), 0);
    QThread::msleep(300);  // the program takes up the new keymap
    Key("End");
    EXPECT_TRUE(WaitFor(differs) != first) << "End did not move the view";
    Key("shift+comma");  // types <; the comma key with Shift goes to the top
    EXPECT_TRUE(WaitFor(same) == first) << "Shift+, did not go to the top";
    Key("shift+2");  // types " on this layout
    const QImage tab2 = WaitFor(differs);
    EXPECT_TRUE(tab2 != first) << "Shift+2 did not change the tab width";
    Key("8");
    EXPECT_TRUE(WaitFor(same) == first) << "8 did not bring the tab width back";

    Key("ctrl+bracketleft");  // the [ key of this layout is the US layout's ] key
    const bool closed = program.waitForFinished(5000);
    EXPECT_TRUE(closed) << "Ctrl+[ did not close the window";
    if (HasFailure()) {
        first.save(dir.filePath(QStringLiteral("first.png")));
        tab2.save(dir.filePath(QStringLiteral("tab2.png")));
        dir.setAutoRemove(false);
        std::fprintf(stderr, "shots kept in %s\n", qPrintable(dir.path()));
    }
}

}  // namespace

int main(int argc, char** argv) { return RunDesktopTests(argc, argv, ProgramPath); }
