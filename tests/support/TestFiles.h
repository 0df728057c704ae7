#pragma once
// Files the tests write into their temporary folder.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <string>

// Writes bytes to the file name in dir and returns its full name as the file system's bytes.
inline std::string WriteTestFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    EXPECT_EQ(f.write(bytes), bytes.size());
    return QFile::encodeName(path).toStdString();
}
