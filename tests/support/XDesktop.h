#pragma once
// What the tests that drive the real program under an X server share: running a tool such as
// xdotool, waiting for a condition, finding a window by its caption, and the program's main.
//   int main(int argc, char** argv) { return RunDesktopTests(argc, argv, ProgramPath); }
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QThread>
#include <cstdio>
#include <functional>

// Runs a program and returns what it printed, trimmed; empty when it failed or hung.
inline QString RunTool(const QString& program, const QStringList& args, int timeoutMs = 10000)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

inline QString XDoTool(const QStringList& args) { return RunTool(QStringLiteral("xdotool"), args, 5000); }

inline bool WaitFor(const std::function<bool()>& done, int ms = 15000)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        QThread::msleep(50);
    }
    return true;
}

// The first visible window whose caption matches the pattern (xdotool's regular expressions).
inline QString FindWindow(const QString& pattern)
{
    return XDoTool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), pattern})
        .section(QLatin1Char('\n'), 0, 0);
}

// Skips (77) without an X display, else runs the tests with the program's path from argv[1].
inline int RunDesktopTests(int argc, char** argv, QString& programPath)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::puts("no X display: skipped (make test runs the suite under an X server)");
        return 77;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PATH-OF-TAVUKO\n", argv[0]);
        return 2;
    }
    programPath = QString::fromLocal8Bit(argv[1]);
    return RUN_ALL_TESTS();
}
