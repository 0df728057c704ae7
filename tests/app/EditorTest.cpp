// The external editor: the parameter template, the command's messages, and the argument vector
// a real program receives.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <climits>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "app/EditorParams.h"
#include "app/MainForm.h"
#include "bigview/Bigview.h"
#include "settings/Settings.h"
#include "support/EditorArgs.h"
#include "support/FakeEditor.h"
#include "support/MainFormFixture.h"

namespace {

using Args = std::vector<std::string>;

TEST(EditorParams, TheTemplateIsSplitFirstThenExpandedInEachArgument)
{
    const std::string file = "/home/u/a b.txt";
    struct Case {
        std::string templ, file;
        int line;
        Args args;
    };
    const std::vector<Case> cases = {
        {"$file", file, 0, {file}},
        {"$file", "", 0, {}},
        {"/J$line $file", file, 0, {"/J1", file}},
        {"/J$line $file", "", 41, {"/J42"}},
        {"100$$", file, 0, {"100$"}},
        {"$$file", file, 0, {"$file"}},
        {"$$$file", file, 0, {"$" + file}},
        {"$$$", file, 0, {"$"}},
        {"$x", file, 0, {"x"}},
        {"end$", file, 0, {"end"}},
        {"$", file, 0, {}},
        {"$fil", file, 0, {"fil"}},
        {"$lin", file, 0, {"lin"}},
        {"$FILE $Line", file, 0, {"FILE", "Line"}},
        {"$line$line", file, 9, {"1010"}},
        {"$linex $filex", file, 0, {"1x", file + "x"}},
        {"+$line", file, INT_MAX - 1, {"+2147483647"}},
        {"+$line", file, INT_MAX, {"+2147483648"}},
        {"\xe8\xa1\x8c $line", file, 0, {"\xe8\xa1\x8c", "1"}},
        {"$file", "a\" --option.txt", 0, {"a\" --option.txt"}},
        {"$file", R"(dir\)", 0, {R"(dir\)"}},
        // Quotes in the template group its own words; the name stays one argument inside them.
        {R"("$file")", "x --evil-option y.txt", 0, {"x --evil-option y.txt"}},
        {R"(-o "$file" +$line)", R"(a" b\)", 0, {"-o", R"(a" b\)", "+1"}},
        {R"("--name=$file at $line")", "x y", 1, {"--name=x y at 2"}},
        {R"(""$file"")", "x y", 0, {"x y"}},
        {R"(\"$file\")", "x y", 0, {R"("x y")"}},
        {R"("$$file")", file, 0, {"$file"}},
        {R"("$file")", "", 0, {}},
        {R"("" $file)", file, 0, {"", file}},
    };
    for (const Case& c : cases) EXPECT_EQ(ExpandEditorParams(c.templ, c.file, c.line), c.args) << c.templ;
}

TEST(EditorParams, AnEmptyTemplateBecomesFileInTheSettings)
{
    TSettings settings;
    EXPECT_EQ(BuildEditorParams(settings, "/x/a.txt", 0), Args{"/x/a.txt"});
    EXPECT_EQ(settings.EditorParam, "$file");
    settings.EditorParam = QStringLiteral("-n$line");
    EXPECT_EQ(BuildEditorParams(settings, "/x/a.txt", 4), Args{"-n5"});
    EXPECT_EQ(settings.EditorParam, "-n$line");
}

TEST(EditorParams, TheFileNameReachesTheEditorAsOneArgumentWhateverItHolds)
{
    for (const std::string name :
         {"a b.txt", "a\" --option.txt", "\"", "a\\", "a\\\"b", "-rf", " lead", "\x93\xfa\x96\x7b \x8c\xea.txt",
          "\xff\xfe\\\"", "tab\tnew\nline", "x --evil-option y.txt", "$file $line $$"})
        EXPECT_TRUE(FileNameArrivesAsOneArgument(name)) << name;
}

class EditorCommandTest : public TFormFixture {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(TFormFixture::SetUp());
        form->StartProgramFn = [this](const std::string& program, const Args& args) {
            started.push_back({program, args});
            return startSucceeds;
        };
    }
    void TearDown() override
    {
        TFormFixture::TearDown();
        qunsetenv("TAVUKO_FAKE_EDITOR_RECORD");
    }

    std::vector<std::pair<std::string, Args>> started;
    bool startSucceeds = true;
};

TEST_F(EditorCommandTest, TheEditorStartsWithTheExpandedTemplateOrTheMessageSaysWhyNot)
{
    const QString noEditor = QStringLiteral("エディタが指定されていません。");
    const QString cannotStart = QStringLiteral("エディタが起動できません。");
    struct Case {
        QString name, param;
        std::string file;
        bool starts;
        Args args;        // what the program receives
        QString message;  // "" when none is shown
        QString paramAfter;
    };
    // file: a file made in the test's folder ("" for none shown yet); args name it by its leaf.
    const std::vector<Case> cases = {
        {"xdg-open", "$file", "", true, {}, "", "$file"},
        {"xdg-open", "", "a b.txt", true, {"a b.txt"}, "", "$file"},
        {"gvim", "+$line $file", "a.txt", true, {"+1", "a.txt"}, "", "+$line $file"},
        {"ed", "$file", "a\" --option.txt", true, {"a\" --option.txt"}, "", "$file"},
        {"ed", "\"$file\"", "x --evil-option y.txt", true, {"x --evil-option y.txt"}, "", "\"$file\""},
        {"/no/such/editor", "", "a.txt", false, {"a.txt"}, cannotStart, "$file"},
        // Nothing is started, and the template is left as it was.
        {"", "", "a.txt", true, {}, noEditor, ""},
    };
    for (const Case& c : cases) {
        messages.clear();
        started.clear();
        form->Settings.EditorName = c.name;
        form->Settings.EditorParam = c.param;
        Args args = c.args;
        if (!c.file.empty()) {
            const std::string name = Write(QString::fromStdString(c.file), "x\r\n");
            for (std::string& a : args)
                if (a == c.file) a = name;
            form->OpenFile(name, false);
        }
        startSucceeds = c.starts;
        form->ExecEditor1->trigger();
        if (c.name.isEmpty()) EXPECT_TRUE(started.empty());
        else EXPECT_EQ(started, (std::vector<std::pair<std::string, Args>>{{c.name.toStdString(), args}}));
        if (c.message.isEmpty()) {
            EXPECT_TRUE(messages.empty()) << c.name.toStdString();
        } else {
            ASSERT_EQ(messages.size(), 1u) << c.name.toStdString();
            EXPECT_EQ(messages[0].text, c.message);
            EXPECT_EQ(messages[0].caption, QStringLiteral("エディタの起動"));
            EXPECT_EQ(messages[0].icon, QMessageBox::Critical);
        }
        EXPECT_EQ(form->Settings.EditorParam, c.paramAfter);
    }
}

TEST_F(EditorCommandTest, LineIsTheTopDisplayLineNotTheFileLine)
{
    // One long line wrapped into many display lines, then a short one.
    const std::string name = Write("long.txt", QByteArray(5000, 'x') + "\r\nshort\r\n");
    form->show();
    form->OpenFile(name, true);
    ASSERT_GT(form->BigView1->GetCount(), 20);
    form->BigView1->SetViewLineStart(10);
    ASSERT_EQ(form->BigView1->ViewLineStart(), 10);
    form->Settings.EditorName = QStringLiteral("ed");
    form->Settings.EditorParam = QStringLiteral("$line");
    form->ExecEditor1Click();
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].second, Args{"11"});  // the file line there is the first
}

TEST_F(EditorCommandTest, ARealEditorReceivesTheFileNameAsItsOneArgument)
{
    form->StartProgramFn = StartDetachedProgram;
    form->Settings.EditorName = QString::fromLocal8Bit(TAVUKO_FAKE_EDITOR);
    form->Settings.EditorParam = QStringLiteral("--line=$line $file");
    const std::vector<std::string> names = {
        "a b.txt",          "a\" --option.txt", "-dash.txt",           "\x93\xfa\x96\x7b\x8c\xea.txt",
        "\xff\xfe raw.txt", "trailing\\",       "q\\\"uote\\\\\".txt",
    };
    int n = 0;
    for (const std::string& leaf : names) {
        const QString record = dir.filePath(QStringLiteral("args%1").arg(++n));
        qputenv("TAVUKO_FAKE_EDITOR_RECORD", QFile::encodeName(record));
        const std::string name = QFile::encodeName(dir.path()).toStdString() + "/" + leaf;
        std::ofstream(name) << "x\n";
        form->OpenFile(name, false);
        form->ExecEditor1Click();
        EXPECT_EQ(WaitForRecordedArgs(record), (Args{"--line=1", name})) << leaf;
    }
    EXPECT_TRUE(messages.empty());
}

}  // namespace

void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
