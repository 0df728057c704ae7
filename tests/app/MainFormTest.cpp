// The main window: caption, tab widths, opening and its failure path, reload, menus, drops.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <sys/stat.h>
#include <unistd.h>
#include <functional>
#include <new>
#include <ostream>
#include <utility>

#include "app/MainForm.h"
#include "app/OpenDialog.h"
#include "bigview/Bigview.h"
#include "platform/FileRead.h"
#include "support/MainFormFixture.h"

void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

// A view that records the content operations the main window asks of it.
class TRecordingView : public TBigView {
public:
    std::vector<std::string> Calls;
    long long PaintsBeforeLoad = -1;   // the view's paints when the last load began
    bool NoMemory = false;             // the next loads find no memory left, as a huge file does
    std::function<void()> DuringLoad;  // what else happens while a file loads

    void Clear() override
    {
        Calls.push_back("Clear");
        TBigView::Clear();
    }
    void BeginLoad(const TBvLoadSource& source, int tabStop, std::function<void(TBvLoadFailure)> done) override
    {
        Calls.push_back("Load " + source.name);
        PaintsBeforeLoad = PaintCalls();
        const bool noMemory = NoMemory;
        if (DuringLoad) std::exchange(DuringLoad, nullptr)();
        if (noMemory) platform::AvailableMemory = [] { return uint64_t(0); };
        TBigView::BeginLoad(source, tabStop, [done = std::move(done)](TBvLoadFailure f) {
            platform::AvailableMemory = platform::SystemAvailableMemory;
            done(f);
        });
    }
};

class MainFormTest : public TFormFixture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        view = MakeForm<TRecordingView>();
        view->Calls.clear();
    }

    QString Caption() const { return form->windowTitle(); }

    TRecordingView* view = nullptr;
};

TEST_F(MainFormTest, CaptionIsTavukoOrTheFileNameFollowedByTavuko)
{
    EXPECT_EQ(Caption(), "Tavuko");
    const std::string name = Write("a b.txt", "abc\r\n");
    Open(name);
    EXPECT_EQ(Caption(), QFile::decodeName(QByteArray::fromStdString(name)) + " - Tavuko");
    // A Japanese name reads as the file system gives it.
    const std::string jp = Write(QStringLiteral("日本語.txt"), "x");
    Open(jp);
    EXPECT_TRUE(Caption().endsWith(QStringLiteral("/日本語.txt - Tavuko")));
}

TEST_F(MainFormTest, TabWidthComesFromTheExtensionAfterTheLastSeparator)
{
    const std::vector<std::pair<std::string, int>> cases = {
        {"A.PAS", 2},
        {"/x/y.pas", 2},
        {"x.Hpp", 4},
        {"x.c", 4},
        {"X.CPP", 4},
        {"x.h", 4},
        {"readme", 8},
        {"x.txt", 8},
        {"x.pas.txt", 8},
        {"x.txt.c", 4},
        {"C:\\dir.c\\readme", 8},
        {"/home/u/dir.c/readme", 8},
        {"C:a.h", 4},
        {"x.", 8},
        {"x.cc", 8},
        {".pas", 2},
        {"", 8},
    };
    for (const auto& [name, tab] : cases) EXPECT_EQ(TForm1::TabStopForFile(name), tab) << name;
}

TEST_F(MainFormTest, ADifferentExtensionBringsItsTabWidthWithTheText)
{
    const std::string txt = Write("a.txt", "\tone\r\n");
    const std::string txt2 = Write("b.txt", "\ttwo\r\n");
    const std::string c = Write("c.c", "\tthree\r\n");
    Open(txt);
    EXPECT_EQ(view->ViewTabStop(), 8);
    view->Calls.clear();
    Open(txt2);
    EXPECT_EQ(view->Calls, std::vector<std::string>({"Load " + txt2}));
    // The view keeps the old text until the new one is shown, with its tab width, in one step.
    view->Calls.clear();
    Open(c);
    EXPECT_EQ(view->Calls, std::vector<std::string>({"Load " + c}));
    EXPECT_EQ(view->ViewTabStop(), 4);
    EXPECT_EQ(FirstLine(), "\tthree");
    // A width chosen by hand gives way to the extension's on the next reload.
    view->SetViewTabStop(3);
    form->Reload1Click();
    EXPECT_EQ(view->ViewTabStop(), 4);
}

TEST_F(MainFormTest, TheCommandLinesFileIsOpenedWhenFirstShown)
{
    const std::string a = Write("a.txt", "first\r\n");
    form->Arguments.file = a;
    form->show();
    EXPECT_TRUE(view->Calls.empty());  // not inside the show: the window is painted first
    EXPECT_TRUE(QTest::qWaitFor([&] { return !view->Calls.empty(); }));
    EXPECT_GT(view->PaintsBeforeLoad, 0);
    EXPECT_EQ(view->Calls, std::vector<std::string>({"Load " + a}));
    EXPECT_EQ(form->CurrentFileName(), a);
    EXPECT_EQ(FirstLine(), "first");
    EXPECT_TRUE(form->Reload1->isEnabled());
    // Showing again (after being minimised, say) opens nothing more.
    form->hide();
    form->show();
    QTest::qWait(50);
    EXPECT_EQ(view->Calls.size(), 1u);
}

TEST_F(MainFormTest, ARequestArrivingAsTheWindowIsFirstShownWaitsForTheCommandLineFile)
{
    const std::string a = Write("a.txt", "first\r\n"), b = Write("b.txt", "second\r\n");
    form->Arguments.file = a;
    form->show();
    EXPECT_TRUE(form->systemExecuteMacro("[Open(\"" + b + "\")]"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->Calls.size() >= 2; }));
    EXPECT_EQ(view->Calls, std::vector<std::string>({"Load " + a, "Load " + b}));
    EXPECT_EQ(FirstLine(), "second");
    EXPECT_EQ(Caption(), QFile::decodeName(QByteArray::fromStdString(b)) + " - Tavuko");
    EXPECT_EQ(form->History.Entries(), std::vector<std::string>({b, a}));
}

TEST_F(MainFormTest, ARequestArrivingWhileAFailedLoadIsReportedWaitsForItsRecovery)
{
    const std::string a = Write("a.txt", "first\r\n"), b = Write("b.txt", "second\r\n");
    const std::string request = "[Open(\"" + b + "\")]";
    const auto arrives = [&] {
        view->NoMemory = false;  // b itself loads
        EXPECT_TRUE(form->systemExecuteMacro(request));
    };
    for (const bool whileTheMessageIsUp : {false, true}) {
        SetUp();
        view->NoMemory = true;
        if (!whileTheMessageIsUp) view->DuringLoad = arrives;
        // The message runs an event loop of its own while it is up, as a modal box does.
        whileShown = [&](const ShownMessage&) {
            if (whileTheMessageIsUp) arrives();
            QTest::qWait(50);
            EXPECT_EQ(view->Calls, std::vector<std::string>({"Load " + a})) << "nothing opens under the message";
        };
        Open(a);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(messages[0].text.startsWith(QStringLiteral("ファイルが読み込めません。")));
        ASSERT_TRUE(QTest::qWaitFor([&] { return FirstLine() == "second"; })) << whileTheMessageIsUp;
        EXPECT_EQ(view->Calls, std::vector<std::string>({"Load " + a, "Load " + b})) << whileTheMessageIsUp;
        EXPECT_EQ(Caption(), QFile::decodeName(QByteArray::fromStdString(b)) + " - Tavuko");
        EXPECT_EQ(form->CurrentFileName(), b);
        EXPECT_EQ(form->History.Entries(), std::vector<std::string>({b}));
        messages.clear();
        TearDown();
        whileShown = nullptr;
    }
}

TEST_F(MainFormTest, WithoutArgumentsTheWindowStartsEmptyAtItsDesignSize)
{
    form->show();
    EXPECT_TRUE(view->Calls.empty());
    EXPECT_EQ(Caption(), "Tavuko");
    EXPECT_EQ(view->GetCountOrg(), 0);
    EXPECT_EQ(view->size(), QSize(522, 394));  // the client area below the menu bar
    EXPECT_FALSE(form->Reload1->isEnabled());
    EXPECT_FALSE(form->Copy1->isEnabled());
}

TEST_F(MainFormTest, AFileThatCannotBeShownIsReportedAndTheWindowStaysAsItWas)
{
    const std::string noRead = Write("secret.txt", "x\r\n");
    chmod(noRead.c_str(), 0);
    const bool root = geteuid() == 0;  // reads whatever the permissions say
    const std::string gone = Write("gone.txt", "y\r\n");
    struct {
        std::string name;
        bool noMemory, reload;
        QString why;
    } cases[] = {
        {QFile::encodeName(dir.filePath("nothing.txt")).toStdString(), false, false, "ファイルが見つかりません。"},
        {QFile::encodeName(dir.path()).toStdString(), false, false, "フォルダーです。ファイルを指定してください。"},
        {"/dev/null", false, false, "ファイルではありません (デバイスなど)。"},
        {root ? std::string() : noRead, false, false, "ファイルを読む権限がありません。"},
        {Write("big.c", "x"), true, false, "大きすぎて、メモリーに読み込めません。"},
        {gone, false, true, "ファイルが見つかりません。"},  // Reload of a file deleted meanwhile
    };
    for (const auto& c : cases) {
        if (c.name.empty()) continue;
        SCOPED_TRACE(c.name);
        messages.clear();
        const std::string shown = c.reload ? c.name : Write("a.txt", "text\r\n");
        Open(shown);
        ASSERT_EQ(FirstLine(), c.reload ? "y" : "text");
        if (c.reload) unlink(c.name.c_str());
        const std::vector<std::string> history = form->History.Entries();
        const bool back = form->Back1->isEnabled(), forward = form->Forward1->isEnabled();
        const QString caption = Caption();
        view->NoMemory = c.noMemory;
        if (c.reload) form->Reload1Click();
        else Open(c.name);
        view->NoMemory = false;
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, QStringLiteral("ファイルが読み込めません。\n\n") +
                                        QFile::decodeName(QByteArray::fromStdString(c.name)) + "\n" + c.why);
        EXPECT_EQ(messages[0].caption, QStringLiteral("開く"));
        EXPECT_EQ(messages[0].icon, QMessageBox::Critical);
        EXPECT_EQ(messages[0].buttons, QMessageBox::Ok);
        // The text, its tab width, the name, the caption and the history are as they were.
        EXPECT_EQ(FirstLine(), c.reload ? "y" : "text");
        EXPECT_EQ(view->ViewTabStop(), 8);
        EXPECT_EQ(form->CurrentFileName(), shown);
        EXPECT_EQ(Caption(), caption);
        EXPECT_EQ(form->History.Entries(), history);
        EXPECT_EQ(std::pair(form->Back1->isEnabled(), form->Forward1->isEnabled()), std::pair(back, forward));
        EXPECT_TRUE(form->Reload1->isEnabled());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
    chmod(noRead.c_str(), 0600);
}

TEST_F(MainFormTest, AnEmptyFileOpensAsAnEmptyText)
{
    Open(Write("a.txt", "text\r\n"));
    const std::string empty = Write("empty.txt", "");
    Open(empty);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(view->GetCountOrg(), 0);
    EXPECT_EQ(form->CurrentFileName(), empty);
    EXPECT_EQ(form->History.Entries().front(), empty);
}

TEST_F(MainFormTest, AFirstLoadThatRaisesLeavesReloadDisabled)
{
    view->NoMemory = true;
    Open(Write("a.txt", "x"));
    view->NoMemory = false;
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_FALSE(form->Reload1->isEnabled());
    view->Calls.clear();
    form->Reload1Click();
    EXPECT_TRUE(view->Calls.empty());
}

TEST_F(MainFormTest, ReloadReadsTheFileAgainWithoutChangingTheName)
{
    form->Reload1Click();  // disabled before any load: nothing happens
    EXPECT_TRUE(view->Calls.empty());
    const std::string name = Write("a.txt", "old\r\n");
    Open(name);
    Write("a.txt", "new\r\n");
    form->Reload1->trigger();
    EXPECT_EQ(FirstLine(), "new");
    EXPECT_EQ(form->CurrentFileName(), name);
    // The context menu's twin does the same.
    Write("a.txt", "newer\r\n");
    form->PopupMenu1Popup();
    ASSERT_TRUE(form->ReloadP1->isEnabled());
    form->ReloadP1->trigger();
    EXPECT_EQ(FirstLine(), "newer");
}

TEST_F(MainFormTest, CopyIsEnabledExactlyWithASelectionAndTheContextMenuFollows)
{
    Open(Write("a.txt", "abcdef\r\nghi\r\n"));
    emit form->Edit1->aboutToShow();
    EXPECT_FALSE(form->Copy1->isEnabled());
    form->PopupMenu1Popup();
    EXPECT_FALSE(form->CopyP1->isVisible());
    EXPECT_FALSE(form->N7->isVisible());
    EXPECT_TRUE(form->ReloadP1->isEnabled());

    view->SetSelStart(TPoint{2, 0});
    view->SetSelEnd(TPoint{5, 0});
    emit form->Edit1->aboutToShow();
    EXPECT_TRUE(form->Copy1->isEnabled());
    form->PopupMenu1Popup();
    EXPECT_TRUE(form->CopyP1->isVisible());
    EXPECT_TRUE(form->N7->isVisible());

    // Copy with the item disabled does nothing; enabled, it puts the selection on the clipboard.
    QApplication::clipboard()->setText(QStringLiteral("before"));
    form->Copy1->setEnabled(false);
    form->Copy1Click();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("before"));
    form->Edit1Click();
    form->CopyP1->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("bcd"));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainFormTest, CtrlCActsOnTheSelectionOfNowNotOfTheMenusLastOpening)
{
    Open(Write("a.txt", "abcdef\r\n"));
    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    view->setFocus();
    emit form->Edit1->aboutToShow();  // no selection: Copy1 disabled
    ASSERT_FALSE(form->Copy1->isEnabled());
    view->SetSelStart(TPoint{1, 0});
    view->SetSelEnd(TPoint{4, 0});
    QApplication::clipboard()->setText(QStringLiteral("before"));
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("abc"));
}

TEST_F(MainFormTest, DroppingFilesOpensTheFirstByItsFullName)
{
    // A path well past 255 bytes: 3 × 120-byte folders.
    QString sub;
    for (int i = 0; i < 3; ++i) sub += QLatin1Char('/') + QString(120, QChar('a' + i));
    ASSERT_TRUE(QDir(dir.path()).mkpath(dir.path() + sub));
    const std::string first = Write(sub.mid(1) + QStringLiteral("/first.txt"), "one\r\n");
    ASSERT_GT(first.size(), 380u);
    const std::string second = Write("second.txt", "two\r\n");
    const std::string third = Write("third.txt", "three\r\n");

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QFile::decodeName(first.c_str())),
                  QUrl::fromLocalFile(QFile::decodeName(second.c_str())),
                  QUrl::fromLocalFile(QFile::decodeName(third.c_str()))});
    form->show();
    const QPoint at = view->geometry().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &drop);
    EXPECT_TRUE(drop.isAccepted());

    EXPECT_EQ(view->Calls, std::vector<std::string>({"Load " + first}));
    EXPECT_EQ(form->CurrentFileName(), first);
    EXPECT_EQ(FirstLine(), "one");
    EXPECT_TRUE(Caption().endsWith(QStringLiteral("/first.txt - Tavuko")));
    EXPECT_TRUE(form->Reload1->isEnabled());
}

TEST_F(MainFormTest, WithFgWindowADropBringsTheWindowToTheFront)
{
    const std::string name = Write("a.txt", "x\r\n");
    form->show();
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    form->DropFiles({name});
    QTest::qWait(20);
    EXPECT_FALSE(form->isActiveWindow());
    form->Settings.FgWindow = true;
    form->DropFiles({name});
    EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
}

TEST_F(MainFormTest, ADragOfNoLocalFileIsRefused)
{
    QMimeData text, web;
    text.setText(QStringLiteral("just text"));
    web.setUrls({QUrl(QStringLiteral("https://example.invalid/a.txt"))});
    for (QMimeData* data : {&text, &web}) {
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        enter.setAccepted(false);
        QApplication::sendEvent(form.get(), &enter);
        EXPECT_FALSE(enter.isAccepted());
    }
}

TEST_F(MainFormTest, OpenDialogFiltersKeepTheirDescriptionsAndGiveQtTheirPatterns)
{
    QFileDialog* d = form->OpenDialog1();
    EXPECT_EQ(d->windowTitle(), QStringLiteral("ファイルを開く"));
    const QStringList f = d->nameFilters();
    ASSERT_EQ(f.size(), 6);
    EXPECT_EQ(f[1], QStringLiteral("すべてのファイル(*) (*)"));  // names without a dot too
    EXPECT_EQ(f[5], QStringLiteral("設定ファイル(*.ini;*.inf;*.def;*.cfg;*.cnf;config.*;autoexec.*) "
                                   "(*.ini *.inf *.def *.cfg *.cnf config.* autoexec.*)"));
    EXPECT_FALSE(f[0].contains(QStringLiteral("*.inf")));
    // Chosen at first: most text files here (README, *.conf) match no text pattern.
    EXPECT_EQ(d->selectedNameFilter(), QStringLiteral("すべてのファイル(*)"));
}

// Runs act on the Open dialog once it is up and running modally.
void WhenShown(QFileDialog* d, std::function<void()> act)
{
    auto* timer = new QTimer(d);
    QObject::connect(timer, &QTimer::timeout, d, [d, timer, act] {
        if (!d->isVisible()) return;
        timer->deleteLater();
        timer->stop();
        act();
    });
    timer->start(10);
}

TEST_F(MainFormTest, OpenDialogOpensTheChosenFileAndCancelDoesNothing)
{
    const std::string name = Write("chosen.pas", "begin\r\n");
    QFileDialog* d = form->OpenDialog1();
    WhenShown(d, [d] { d->reject(); });
    form->Open1Click();
    EXPECT_TRUE(view->Calls.empty());
    EXPECT_EQ(form->CurrentFileName(), "");

    const auto choose = [d](const std::string& path) {
        WhenShown(d, [d, path] {
            const QFileInfo chosen(QFile::decodeName(path.c_str()));
            d->setDirectory(chosen.path());
            if (auto* edit = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) edit->setText(chosen.fileName());
            QMetaObject::invokeMethod(d, "accept");
            if (d->isVisible()) d->reject();  // not taken: fail below rather than hang
        });
    };
    choose(name);
    form->Open1Click();
    EXPECT_EQ(form->CurrentFileName(), name);
    EXPECT_EQ(FirstLine(), "begin");
    EXPECT_EQ(view->ViewTabStop(), 2);

    // A name typed that names no file is said to be missing; the file shown stays.
    const std::string typed = QFile::encodeName(dir.filePath("typed.txt")).toStdString();
    choose(typed);
    form->Open1Click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.endsWith(QStringLiteral("ファイルが見つかりません。")));
    EXPECT_EQ(form->CurrentFileName(), name);
    EXPECT_EQ(FirstLine(), "begin");
}

TEST_F(MainFormTest, ExitEmptiesTheViewThenCloses)
{
    Open(Write("a.txt", "text\r\n"));
    form->show();
    view->Calls.clear();
    form->Exit1->trigger();
    EXPECT_EQ(view->Calls, std::vector<std::string>({"Clear"}));
    EXPECT_EQ(view->GetCountOrg(), 0);
    EXPECT_FALSE(form->isVisible());
}

}  // namespace

namespace {

// Standard input of this process replaced by the read end of a pipe while it lives.
struct StdinPipe {
    int saved = dup(STDIN_FILENO);
    int writer = -1;
    StdinPipe()
    {
        int p[2];
        if (pipe(p) != 0) return;
        dup2(p[0], STDIN_FILENO);
        close(p[0]);
        writer = p[1];
    }
    ~StdinPipe()
    {
        if (writer >= 0) close(writer);
        dup2(saved, STDIN_FILENO);
        close(saved);
    }
};

std::string Numbered(int lines)
{
    std::string s;
    for (int i = 1; i <= lines; ++i) s += "line " + std::to_string(i) + "\n";
    return s;
}

}  // namespace

TEST_F(MainFormTest, StandardInputIsReadToItsEndUnderItsOwnTitle)
{
    StdinPipe in;
    ASSERT_GE(in.writer, 0);
    form->Arguments.input = true;
    form->Arguments.line = 2;
    form->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->CurrentFile().Loading(); }));
    ASSERT_EQ(write(in.writer, "first\n", 6), 6);
    QTest::qWait(100);
    EXPECT_TRUE(form->CurrentFile().Loading()) << "shown before its end";
    ASSERT_EQ(write(in.writer, "second\nthird", 12), 12);
    close(std::exchange(in.writer, -1));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form->CurrentFile().Loading(); }));
    EXPECT_EQ(view->GetCountOrg(), 3);
    EXPECT_EQ(view->GetOrg(2).str(), "third");
    EXPECT_EQ(view->ConvertIndexToOrg(view->ViewLineStart()), 1);  // +2
    EXPECT_EQ(Caption(), QStringLiteral("(標準入力) - Tavuko"));
    EXPECT_TRUE(messages.empty());
    // It cannot be read again, nor opened in an editor; it enters no history.
    EXPECT_FALSE(form->Reload1->isEnabled());
    form->Edit1Click();
    EXPECT_FALSE(form->ExecEditor1->isEnabled());
    EXPECT_TRUE(form->Find1->isEnabled());
    EXPECT_TRUE(form->History.Entries().empty());
    // A file opened after it is an ordinary file again.
    const std::string a = Write("a.txt", "text\r\n");
    Open(a);
    EXPECT_TRUE(form->Reload1->isEnabled());
    EXPECT_EQ(Caption(), QFile::decodeName(QByteArray::fromStdString(a)) + " - Tavuko");
}

TEST_F(MainFormTest, TheCommandLinesLineIsAtTheTopOrTheEndIsShown)
{
    const std::string a = Write("a.txt", QByteArray::fromStdString(Numbered(300)));
    for (const auto& [line, top] :
         {std::pair(50, 49), std::pair(1, 0), std::pair(300, 299), std::pair(301, -1), std::pair(5000, -1)}) {
        SetUp();
        form->Arguments.file = a;
        form->Arguments.line = line;
        form->show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return view->GetCountOrg() == 300; }));
        // -1: the end is shown, the last line at the bottom.
        const int want = top >= 0 ? top : view->GetCount() - view->ViewLines();
        EXPECT_EQ(view->ViewLineStart(), want) << line;
        TearDown();
    }
}

TEST_F(MainFormTest, AFileFollowedShowsWhatIsAppendedAndStaysAtTheEnd)
{
    const std::string a = Write("log", QByteArray::fromStdString(Numbered(100)));
    form->Arguments.file = a;
    form->Arguments.follow = true;
    form->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->GetCountOrg() == 100; }));
    EXPECT_TRUE(form->Follow1->isChecked());
    EXPECT_TRUE(form->Following());
    EXPECT_EQ(view->ViewLineEnd(), view->GetCount() - 1) << "followed, it opens at its end";
    const auto append = [&](const std::string& bytes) {
        FILE* f = std::fopen(a.c_str(), "ab");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    };
    const auto lastShown = [&] { return view->GetOrg(view->ConvertIndexToOrg(view->ViewLineEnd())).str(); };
    // A last line without its end is completed when the rest comes.
    append("line 101\nline 1");
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->GetCountOrg() == 102; }));
    EXPECT_EQ(view->GetOrg(101).str(), "line 1");
    EXPECT_EQ(lastShown(), "line 1");
    append("02\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->GetOrg(101).str() == "line 102"; }));
    EXPECT_EQ(view->GetCountOrg(), 102);
    EXPECT_EQ(lastShown(), "line 102") << "the view stays at the end";
    // Scrolled up, the view stays where it is; End follows again.
    form->ScrollToTop();
    append("line 103\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->GetCountOrg() == 103; }));
    EXPECT_EQ(view->ViewLineStart(), 0);
    form->ScrollToEnd();
    append("line 104\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->GetCountOrg() == 104; }));
    EXPECT_EQ(lastShown(), "line 104");
    // Rotated: the file moved away and a new one made at its name is read from its start.
    ASSERT_EQ(rename(a.c_str(), (a + ".1").c_str()), 0);
    QTest::qWait(50);
    Write("log", "new 1\nnew 2\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->GetCountOrg() == 2 && view->GetOrg(0).str() == "new 1"; }));
    append("new 3\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->GetCountOrg() == 3; }));
    // Cut to nothing and written anew (copy and truncate): read from its start as well.
    ASSERT_EQ(truncate(a.c_str(), 0), 0);
    append("after\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->GetCountOrg() == 1 && FirstLine() == "after"; }));
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(form->CurrentFileName(), a);
    // Another file shown ends the following.
    Open(Write("b.txt", "b\n"));
    EXPECT_FALSE(form->Follow1->isChecked());
    EXPECT_FALSE(form->Following());
}
