// The real program as a Linux user starts it: --help, --version and a mistake answer on the
// terminal; a real pipe into "tavuko -"; +N; the messages for a missing file and a folder; a
// file followed while another process appends to it, and a rotated log followed. The top line
// is read back through the editor command (Shift+Enter) and a stand-in editor that records its
// arguments.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "support/XDesktop.h"

namespace {

QString ProgramPath;

struct Ran {
    int code = -1;
    QByteArray out, err;
    bool finished = false;
};

// The program run to its end with the arguments and locale given, standard input a terminal's
// stand-in (/dev/null).
Ran RunProgram(const QStringList& args, const QString& lang = QStringLiteral("C.UTF-8"))
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("LC_ALL"));
    env.remove(QStringLiteral("LC_MESSAGES"));
    env.insert(QStringLiteral("LANG"), lang);
    p.setProcessEnvironment(env);
    p.setStandardInputFile(QProcess::nullDevice());
    p.start(ProgramPath, args);
    Ran r;
    r.finished = p.waitForFinished(5000);
    if (!r.finished) {
        p.kill();
        p.waitForFinished();
    }
    r.code = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

TEST(CommandLine, HelpVersionAndMistakesAnswerOnTheTerminalWithoutAWindow)
{
    Ran r = RunProgram({QStringLiteral("--help")});
    ASSERT_TRUE(r.finished) << "--help opened a window";
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.startsWith("Usage: tavuko [OPTION]... [+N] [FILE | -]\n")) << r.out.toStdString();
    r = RunProgram({QStringLiteral("--help")}, QStringLiteral("ja_JP.UTF-8"));
    EXPECT_TRUE(QString::fromUtf8(r.out).startsWith(QStringLiteral("使い方: tavuko"))) << r.out.toStdString();
    r = RunProgram({QStringLiteral("--version")});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "Tavuko 1.40\n");
    // Qt's own options are mistakes like any other: no window, no mirrored window.
    for (const QStringList& args : {QStringList{"-x"}, QStringList{"-reverse"}, QStringList{"-display", ":0", "a"}}) {
        r = RunProgram(args);
        ASSERT_TRUE(r.finished) << args.join(' ').toStdString();
        EXPECT_EQ(r.code, 2);
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_TRUE(r.err.startsWith("tavuko: unknown option " + args[0].toUtf8() + "\n")) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains("tavuko --help"));
    }
}

// The viewer in a real window, with a settings store of its own whose editor is the stand-in.
class Viewer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        qputenv("LC_ALL", "C.UTF-8");  // xdotool gives captions in the locale's encoding
        QDir().mkpath(dir.filePath(QStringLiteral("config/tavuko")));
        QFile store(dir.filePath(QStringLiteral("config/tavuko/user.reg")));
        ASSERT_TRUE(store.open(QIODevice::WriteOnly));
        store.write("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Q.Tabiri\\Tavuko]\r\n"
                    "\"EditorName\"=\"" TAVUKO_FAKE_EDITOR "\"\r\n\"EditorParam\"=\"$line\"\r\n");
    }
    void TearDown() override
    {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished();
        }
    }
    QString Path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    void Write(const char* name, const QByteArray& bytes, QIODevice::OpenMode mode = QIODevice::WriteOnly)
    {
        QFile f(Path(name));
        ASSERT_TRUE(f.open(mode));
        f.write(bytes);
    }
    static QByteArray Lines(int from, int to)
    {
        QByteArray s;
        for (int i = from; i <= to; ++i) s += "line " + QByteArray::number(i) + "\n";
        return s;
    }
    void Start(const QStringList& args, bool pipe = false)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("TAVUKO_FAKE_EDITOR_RECORD"), Path("editor"));
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        if (!pipe) program.setStandardInputFile(QProcess::nullDevice());
        program.start(ProgramPath, args);
        ASSERT_TRUE(program.waitForStarted(5000));
    }
    // The program's window captioned so, waited for.
    QString Window(const QString& pattern, int ms = 15000)
    {
        QString w;
        WaitFor(
            [&] {
                w = XDoTool(
                        {"search", "--onlyvisible", "--pid", QString::number(program.processId()), "--name", pattern})
                        .section('\n', 0, 0);
                return !w.isEmpty();
            },
            ms);
        return w;
    }
    // The program's window captioned exactly so (xdotool's patterns cannot hold Japanese in
    // every locale), waited for.
    QString Named(const QString& caption, int ms = 15000)
    {
        QString found;
        WaitFor(
            [&] {
                const QString all =
                    XDoTool({"search", "--onlyvisible", "--pid", QString::number(program.processId()), "--name", ""});
                for (const QString& w : all.split('\n', Qt::SkipEmptyParts))
                    if (XDoTool({"getwindowname", w}) == caption) found = w;
                return !found.isEmpty();
            },
            ms);
        return found;
    }
    void Keys(const QString& window, const QString& keys)
    {
        XDoTool({"windowfocus", "--sync", window, "key", "--clearmodifiers", keys});
    }
    // The file line at the top of the view, as the editor command hands it over (0: none came).
    int TopLine(const QString& window)
    {
        QFile::remove(Path("editor"));
        Keys(window, QStringLiteral("shift+Return"));
        if (!WaitFor([&] { return QFile::exists(Path("editor")); }, 5000)) return 0;
        QFile f(Path("editor"));
        if (!f.open(QIODevice::ReadOnly)) return 0;
        return f.readAll().split('\0').value(0).toInt();
    }

    QTemporaryDir dir;
    QProcess program;
};

TEST_F(Viewer, APipeIntoTavukoDashIsReadToItsEnd)
{
    Start({QStringLiteral("-")}, true);
    program.write(Lines(1, 50));
    program.waitForBytesWritten(2000);
    // Still loading: the window has not taken the text's title yet.
    const QString loading = Window(QStringLiteral("^Tavuko$"));
    ASSERT_FALSE(loading.isEmpty());
    QThread::msleep(300);
    EXPECT_EQ(XDoTool({"getwindowname", loading}), QStringLiteral("Tavuko"));
    program.write(Lines(51, 80));
    program.waitForBytesWritten(2000);
    program.closeWriteChannel();
    const QString w = Named(QStringLiteral("(標準入力) - Tavuko"));
    ASSERT_FALSE(w.isEmpty()) << "the text from the pipe was not shown";
    EXPECT_EQ(program.state(), QProcess::Running);
}

TEST_F(Viewer, PlusNPutsThatLineAtTheTop)
{
    Write("a.txt", Lines(1, 500));
    Start({QStringLiteral("+120"), Path("a.txt")});
    const QString w = Window(QStringLiteral("a\\.txt - Tavuko$"));
    ASSERT_FALSE(w.isEmpty());
    EXPECT_EQ(TopLine(w), 120);
}

TEST_F(Viewer, AMissingFileAndAFolderAreReportedInABox)
{
    for (const QString& name : {Path("nothing.txt"), dir.path()}) {
        SCOPED_TRACE(name.toStdString());
        Start({name});
        const QString box = Named(QStringLiteral("開く"));
        ASSERT_FALSE(box.isEmpty()) << "no message box";
        EXPECT_FALSE(Named(QStringLiteral("Tavuko")).isEmpty()) << "the window's title changed";
        // The box is the program's; its text is checked by the window's own tests. Enter closes
        // it, and the window goes on as it was.
        Keys(box, QStringLiteral("Return"));
        EXPECT_TRUE(WaitFor([&] { return Named(QStringLiteral("開く"), 100).isEmpty(); }, 5000));
        EXPECT_EQ(program.state(), QProcess::Running);
        EXPECT_FALSE(Named(QStringLiteral("Tavuko"), 2000).isEmpty());
        TearDown();
    }
}

TEST_F(Viewer, AFileAppendedToByAnotherProcessIsFollowedAtItsEnd)
{
    Write("app.log", Lines(1, 200));
    Start({QStringLiteral("--follow"), Path("app.log")});
    const QString w = Window(QStringLiteral("app\\.log - Tavuko$"));
    ASSERT_FALSE(w.isEmpty());
    const int top = TopLine(w);
    ASSERT_GT(top, 150) << "followed, the file opens at its end";
    // Another process writes a line at a time.
    const QString script = QStringLiteral("i=201; while [ $i -le 260 ]; do echo \"line $i\" >> '%1'; i=$((i+1)); "
                                          "sleep 0.01; done")
                               .arg(Path("app.log"));
    EXPECT_EQ(QProcess::execute(QStringLiteral("sh"), {"-c", script}), 0);
    EXPECT_TRUE(WaitFor([&] { return TopLine(w) == top + 60; }, 10000)) << "the view did not follow to the end";
}

TEST_F(Viewer, ARotatedLogIsReadFromItsStartAndFollowed)
{
    Write("app.log", Lines(1, 200));
    Start({QStringLiteral("--follow"), Path("app.log")});
    const QString w = Window(QStringLiteral("app\\.log - Tavuko$"));
    ASSERT_FALSE(w.isEmpty());
    const int top = TopLine(w);
    ASSERT_GT(top, 150);
    // As a log rotator does: the log renamed, a new one made at its name.
    ASSERT_TRUE(QFile::rename(Path("app.log"), Path("app.log.1")));
    QThread::msleep(200);
    Write("app.log", Lines(1, 3));
    EXPECT_TRUE(WaitFor([&] { return TopLine(w) == 1; }, 10000)) << "the new file was not read";
    Write("app.log", Lines(4, 300), QIODevice::Append);
    EXPECT_TRUE(WaitFor([&] { return TopLine(w) > 250; }, 10000)) << "the new file was not followed";
}

}  // namespace

int main(int argc, char** argv) { return RunDesktopTests(argc, argv, ProgramPath); }
