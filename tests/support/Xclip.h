#pragma once
// Tests of what this process offers on the X clipboard and the PRIMARY selection, read back by
// xclip. Their main: int main(int argc, char** argv) { return RunXclipTests(argc, argv); }
#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QProcess>
#include <QStringList>
#include <QTimer>
#include <cstdio>

// Runs xclip with args, serving the selection from this event loop until it is done.
inline QByteArray Xclip(const QStringList& args)
{
    QProcess p;
    QEventLoop loop;
    QObject::connect(&p, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&p, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    p.start(QStringLiteral("xclip"), args);
    loop.exec();
    EXPECT_EQ(p.state(), QProcess::NotRunning) << "xclip did not finish";
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return p.readAllStandardOutput();
}

// Skips (77) without an X display, else runs the tests on the X server.
inline int RunXclipTests(int argc, char** argv)
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
