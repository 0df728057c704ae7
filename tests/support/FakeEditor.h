#pragma once
// Starts nothing itself: where the stand-in editor records, and reading what it recorded.
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <optional>
#include <string>
#include <vector>

// The arguments the stand-in editor recorded in the file, once it is there (within seconds).
inline std::optional<std::vector<std::string>> WaitForRecordedArgs(const QString& record, int ms = 10000)
{
    QElapsedTimer t;
    t.start();
    while (!QFile::exists(record)) {
        if (t.elapsed() > ms) return std::nullopt;
        QThread::msleep(10);
    }
    QFile f(record);
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = f.readAll();
    std::vector<std::string> args;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\0') {
            args.emplace_back(bytes.constData() + start, size_t(i - start));
            start = i + 1;
        }
    return args;
}
