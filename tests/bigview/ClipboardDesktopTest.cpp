// A copy seen from another program: xclip reads the X clipboard while this process serves it.
// Needs an X server; without DISPLAY the program reports itself skipped (exit status 77).
#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <cstdio>

#include "bigview/Bigview.h"

namespace {

// Runs xclip with args, serving the clipboard from this event loop until it is done.
QByteArray Xclip(const QStringList& args)
{
    QProcess p;
    QEventLoop loop;
    QObject::connect(&p, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&p, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    p.start("xclip", args);
    loop.exec();
    EXPECT_EQ(p.state(), QProcess::NotRunning) << "xclip did not finish";
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return p.readAllStandardOutput();
}

TEST(ClipboardDesktop, AnotherProgramReadsTheCopiedText)
{
    TBigView view;
    view.SetViewFont(TViewFont::DefaultViewFont());
    view.resize(400, 300);
    view.show();
    view.LinesAssign({TBvText("\x82\xA0\x82\xA2 abc"), TBvText("\x8A\xBF\x8E\x9A" "def")});
    view.SetSelStart({3, 0});
    view.SetSelEnd({3, 1});
    view.CopyToClipboard();
    EXPECT_EQ(view.SelStart(), (TPoint{0, 0}));

    EXPECT_EQ(QString::fromUtf8(Xclip({"-o", "-selection", "clipboard", "-t", "UTF8_STRING"})),
              QString::fromUtf8("い abc\r\n漢"));
    EXPECT_EQ(Xclip({"-o", "-selection", "clipboard", "-t", "text/plain;charset=Shift_JIS"}),
              QByteArray("\x82\xA2 abc\r\n\x8A\xBF"));
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::puts("no X display: skipped");
        return 77;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
