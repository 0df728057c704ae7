// The real program under an X server: started on a Shift-JIS file, Ctrl+F, a Japanese find text
// pasted into the dialog from the clipboard (xclip), Enter; the view shows other rows and the
// window's title carries the find text.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <cstdlib>
#include <memory>

#include "support/XDesktop.h"

namespace {

QString ProgramPath;

// The view's rows: the window below its menu bar, without the scroll bar.
QImage Rows(WId id)
{
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(id).toImage();
    return shot.copy(4, shot.height() / 6, shot.width() - 30, shot.height() * 2 / 3);
}

long Differing(const QImage& a, const QImage& b)
{
    if (a.size() != b.size()) return -1;
    long n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

TEST(FindDesktop, AJapaneseTextPastedIntoTheDialogMovesTheViewAndNamesItselfInTheTitle)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("find_sample.txt"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        // ASCII rows, then on row 45 "検索対象の行" in Shift-JIS among Japanese text.
        for (int i = 0; i < 80; ++i) {
            if (i == 45) f.write("\x93\xfa\x96\x7b\x8c\xea \x8c\x9f\x8d\xf5\x91\xce\x8f\xdb\x82\xcc\x8d\x73\r\n");
            else f.write("line " + QByteArray::number(i) + " of plain ASCII words, over and over.\r\n");
        }
    }

    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(ProgramPath, {file});
    ASSERT_TRUE(program.waitForStarted(5000)) << ProgramPath.toStdString();
    QProcess xclip;
    auto stop = [&] {
        for (QProcess* p : {&program, &xclip}) {
            if (p->state() == QProcess::NotRunning) continue;
            p->terminate();
            if (!p->waitForFinished(3000)) {
                p->kill();
                p->waitForFinished();
            }
        }
    };

    QString window;
    ASSERT_TRUE(WaitFor(
        [&] { return !(window = FindWindow(QStringLiteral("/find_sample\\.txt - Tavuko$"))).isEmpty(); }, 15000))
        << "no window captioned with the file name";
    const WId id = WId(window.toULongLong());
    XDoTool({QStringLiteral("windowraise"), window});
    QThread::msleep(300);
    const QImage before = Rows(id);

    // The find text on the clipboard, served by xclip until the test ends.
    xclip.start(QStringLiteral("xclip"),
                {QStringLiteral("-quiet"), QStringLiteral("-selection"), QStringLiteral("clipboard")});
    ASSERT_TRUE(xclip.waitForStarted(3000));
    xclip.write(QStringLiteral("検索対象").toUtf8());
    xclip.waitForBytesWritten(3000);  // no event loop here to write it
    xclip.closeWriteChannel();
    QThread::msleep(200);

    XDoTool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window, QStringLiteral("key"),
             QStringLiteral("--clearmodifiers"), QStringLiteral("ctrl+f")});
    QString dialog;
    EXPECT_TRUE(WaitFor([&] { return !(dialog = FindWindow(QStringLiteral("^検索$"))).isEmpty(); }, 5000))
        << "the find dialog did not open";
    if (!dialog.isEmpty()) {
        // The modal dialog has the keyboard.
        XDoTool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("ctrl+v"),
                 QStringLiteral("sleep"), QStringLiteral("0.3")});
        if (const char* keep = std::getenv("TAVUKO_SHOTS"))
            QGuiApplication::primaryScreen()
                ->grabWindow(WId(dialog.toULongLong()))
                .save(QString::fromLocal8Bit(keep) + QStringLiteral("/find-dialog.png"));
        XDoTool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("Return")});
    }
    const QString suffix = QStringLiteral(" - Tavuko (検索\"検索対象\")");
    QString title;
    EXPECT_TRUE(WaitFor(
        [&] {
            return (title = XDoTool({QStringLiteral("getwindowname"), window})).endsWith(suffix);
        },
        5000))
        << "title: " << title.toStdString();
    EXPECT_TRUE(WaitFor([&] { return FindWindow(QStringLiteral("^検索$")).isEmpty(); }, 3000))
        << "the dialog stayed open";

    // The found row is now the top one: the rows on view changed.
    QImage after;
    EXPECT_TRUE(WaitFor([&] { return Differing(before, after = Rows(id)) > 500; }, 3000))
        << "the view did not move: " << Differing(before, after) << " pixels differ";
    if (HasFailure()) {
        before.save(dir.filePath(QStringLiteral("before.png")));
        after.save(dir.filePath(QStringLiteral("after.png")));
        dir.setAutoRemove(false);
        std::fprintf(stderr, "screenshots in %s\n", qPrintable(dir.path()));
    }
    if (const char* keep = std::getenv("TAVUKO_SHOTS")) {
        before.save(QString::fromLocal8Bit(keep) + QStringLiteral("/find-before.png"));
        after.save(QString::fromLocal8Bit(keep) + QStringLiteral("/find-after.png"));
    }
    stop();
}

// A window's frame on the screen: the child of the root that holds it (the window manager's
// frame around it, or the window itself without one), border included.
QRect FrameOf(xcb_connection_t* c, xcb_window_t w)
{
    for (;;) {
        const std::unique_ptr<xcb_query_tree_reply_t, decltype(&free)> tree(
            xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr), &free);
        if (!tree) return {};
        if (tree->parent == tree->root) break;
        w = tree->parent;
    }
    const std::unique_ptr<xcb_get_geometry_reply_t, decltype(&free)> g(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr), &free);
    if (!g) return {};
    return QRect(g->x, g->y, g->width + 2 * g->border_width, g->height + 2 * g->border_width);
}

// A program ended, if it still runs, when the test ends.
struct TRunning : QProcess {
    ~TRunning() override
    {
        if (state() == NotRunning) return;
        terminate();
        if (!waitForFinished(3000)) {
            kill();
            waitForFinished();
        }
    }
};

// Whether a window manager has taken the screen (it names its check window on the root).
bool ManagerRuns(xcb_connection_t* c)
{
    const char name[] = "_NET_SUPPORTING_WM_CHECK";
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> atom(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof name - 1, name), nullptr), &free);
    if (!atom) return false;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const std::unique_ptr<xcb_get_property_reply_t, decltype(&free)> p(
        xcb_get_property_reply(c, xcb_get_property(c, 0, root, atom->atom, XCB_ATOM_WINDOW, 0, 1), nullptr), &free);
    return p && xcb_get_property_value_length(p.get()) > 0;
}

TEST(FindDesktop, UnderAWindowManagerTheDialogIsCentredByItsFrameFromItsFirstShowing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString config = dir.filePath(QStringLiteral("jwmrc")), file = dir.filePath(QStringLiteral("a.txt"));
    for (const auto& [name, text] : {std::pair(config, QByteArray("<?xml version=\"1.0\"?>\n<JWM></JWM>\n")),
                                     std::pair(file, QByteArray("text\r\n"))}) {
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(text) == text.size());
    }
    // A window manager that frames windows with a title bar, as desktops do.
    TRunning wm, program;
    wm.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    wm.start(QStringLiteral("jwm"), {QStringLiteral("-f"), config});
    ASSERT_TRUE(wm.waitForStarted(5000)) << "jwm is needed (scripts/install-deps installs it)";
    const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> c(xcb_connect(nullptr, nullptr),
                                                                         &xcb_disconnect);
    ASSERT_FALSE(xcb_connection_has_error(c.get()));
    // The window manager first, as on a desktop: a window it finds already mapped is framed late.
    ASSERT_TRUE(WaitFor([&] { return ManagerRuns(c.get()); }, 10000)) << "jwm did not take the screen";

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path());  // no window place of other runs
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(ProgramPath, {file});
    QString window;
    ASSERT_TRUE(WaitFor([&] { return !(window = FindWindow(QStringLiteral("/a\\.txt - Tavuko$"))).isEmpty(); }));
    const xcb_window_t main = xcb_window_t(window.toULong());
    // Framed: the frame is larger than the window by its title bar.
    ASSERT_TRUE(WaitFor([&] { return FrameOf(c.get(), main).height() > 20 + 394; })) << "no window manager frames it";

    // Where the dialog's frame stands centred over the main window's frame.
    const auto centredOver = [](const QRect& m, const QRect& d) {
        return QPoint(m.left() + (m.width() - d.width()) / 2, m.top() + (m.height() - d.height()) / 2);
    };
    // Its first showing, then another after the main window has moved.
    for (const QPoint mainAt : {QPoint(-1, -1), QPoint(150, 120)}) {
        if (mainAt.x() >= 0)
            XDoTool({QStringLiteral("windowmove"), QStringLiteral("--sync"), window, QString::number(mainAt.x()),
                     QString::number(mainAt.y())});
        XDoTool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), window, QStringLiteral("key"),
                 QStringLiteral("--clearmodifiers"), QStringLiteral("ctrl+f")});
        QString dialog;
        ASSERT_TRUE(WaitFor([&] { return !(dialog = FindWindow(QStringLiteral("^検索$"))).isEmpty(); }, 5000));
        const xcb_window_t d = xcb_window_t(dialog.toULong());
        QRect m, f;
        EXPECT_TRUE(WaitFor(
            [&] {
                m = FrameOf(c.get(), main), f = FrameOf(c.get(), d);
                return f.height() > 73 && (f.topLeft() - centredOver(m, f)).manhattanLength() <= 1;
            },
            3000))
            << "frame " << f.x() << "," << f.y() << " " << f.width() << "x" << f.height() << " over " << m.x() << ","
            << m.y() << " " << m.width() << "x" << m.height();
        XDoTool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("Escape")});
        ASSERT_TRUE(WaitFor([&] { return FindWindow(QStringLiteral("^検索$")).isEmpty(); }, 3000));
    }
}

}  // namespace

int main(int argc, char** argv) { return RunDesktopTests(argc, argv, ProgramPath); }
