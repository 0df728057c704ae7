// Finding and starting a program: on PATH or by path, its argument bytes handed over exactly,
// never through a shell; success only when it really started.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/StartProgram.h"
#include "support/FakeEditor.h"

namespace {

class StartProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        const char* path = std::getenv("PATH");
        oldPath = path ? path : "";
    }
    void TearDown() override
    {
        qputenv("PATH", oldPath.c_str());
        qunsetenv("TAVUKO_FAKE_EDITOR_RECORD");
    }
    std::string Local(const QString& name) const { return QFile::encodeName(dir.filePath(name)).toStdString(); }
    std::string MakeFile(const QString& name, QFileDevice::Permissions permissions)
    {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\nexit 0\n");
        f.close();
        f.setPermissions(permissions);
        return Local(name);
    }

    QTemporaryDir dir;
    std::string oldPath;
};

TEST_F(StartProgramTest, AProgramIsFoundByPathOrOnPath)
{
    const auto exec = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    const std::string editor = MakeFile("myed", exec);
    MakeFile("plain", QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QDir(dir.path()).mkdir("subdir");
    const std::string other = QFile::encodeName(dir.filePath("other")).toStdString();
    QDir(dir.path()).mkdir("other");
    QFile::copy(dir.filePath("myed"), dir.filePath("other/plain"));
    QFile(dir.filePath("other/plain")).setPermissions(exec);
    qputenv("PATH", QByteArray::fromStdString(Local("") + ":" + other + ":/usr/bin:/bin"));

    EXPECT_EQ(FindProgram("myed"), editor);
    // One that may not run is passed over for the next directory's.
    EXPECT_EQ(FindProgram("plain"), other + "/plain");
    EXPECT_EQ(FindProgram("subdir"), "");
    EXPECT_EQ(FindProgram("no-such-editor"), "");
    EXPECT_EQ(FindProgram(""), "");
    // A name with a directory in it is a path, taken as it is.
    EXPECT_EQ(FindProgram("./bin/ed"), "./bin/ed");
    EXPECT_EQ(FindProgram("/nowhere/ed"), "/nowhere/ed");
}

TEST_F(StartProgramTest, TheProgramGetsExactlyTheArgumentBytes)
{
    const QString record = dir.filePath("args");
    qputenv("TAVUKO_FAKE_EDITOR_RECORD", QFile::encodeName(record));
    const std::vector<std::string> args = {
        "a b.txt", "a\" --option.txt", "-dash", "\x93\xfa\x96\x7b.txt", "\xff\xfe not utf-8", "$(touch pwned)", ";", "",
        "*",
    };
    ASSERT_TRUE(StartDetachedProgram(TAVUKO_FAKE_EDITOR, args));
    EXPECT_EQ(WaitForRecordedArgs(record), args);
    EXPECT_FALSE(QFile::exists(dir.filePath("pwned")));
}

TEST_F(StartProgramTest, StartingFailsWhenTheProgramCannotRun)
{
    qputenv("PATH", QByteArray::fromStdString(Local("")));
    MakeFile("plain", QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    {
        QFile f(dir.filePath("garbage"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("\x7f"
                "ELF but not really");
        f.close();
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    for (const std::string& program : {std::string("no-such-editor"), Local("no-such-editor"), Local("plain"),
                                       Local(""), Local("garbage"), std::string()})
        EXPECT_FALSE(StartDetachedProgram(program, {"x"})) << program;
}

}  // namespace
