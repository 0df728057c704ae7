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
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <new>
#include <ostream>
#include <utility>

#include "app/MainForm.h"
#include "app/OpenDialog.h"
#include "bigview/Bigview.h"
#include "platform/FileRead.h"
#include "support/TestFiles.h"

void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

// A view that records the content operations the main window asks of it.
class TRecordingView : public TBigView {
public:
    std::vector<std::string> Calls;
    long long PaintsBeforeLoad = -1;  // the view's paints when the last load began
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



struct Message {
    QString text, caption;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
};

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        view = new TRecordingView;
        form = std::make_unique<TForm1>(view);
        form->MessageBoxFn = [this](const QString& text, const QString& caption, QMessageBox::Icon icon,
                                    QMessageBox::StandardButtons buttons, QMessageBox::StandardButton) {
            messages.push_back({text, caption, icon, buttons});
            return QMessageBox::Ok;
        };
        view->Calls.clear();
    }
    void TearDown() override
    {
        form.reset();
    }

    // Writes bytes to a file in the test's directory and returns its full name.
    std::string Write(const QString& name, const QByteArray& bytes) { return WriteTestFile(dir, name, bytes); }
    void Open(const std::string& name) { form->OpenFile(name, true); }
    std::string FirstLine() const { return view->GetCountOrg() ? view->GetOrg(0).str() : std::string(); }
    QString Caption() const { return form->windowTitle(); }

    QTemporaryDir dir;
    TRecordingView* view = nullptr;
    std::unique_ptr<TForm1> form;
    std::vector<Message> messages;
};

TEST_F(MainFormTest, CaptionIsTavukoOrTheFileNameFollowedByTavuko)
{
    EXPECT_EQ(Caption(), "Tavuko");
    const std::string name = Write("a b.txt", "abc\r\n");
    Open(name);
    EXPECT_EQ(Caption(), QFile::decodeName(QByteArray::fromStdString(name)) + " - Tavuko");
    form->OpenFile("", false);  // no file
    EXPECT_EQ(Caption(), "Tavuko");
    // A Japanese name reads as the file system gives it.
    const std::string jp = Write(QStringLiteral("日本語.txt"), "x");
    Open(jp);
    EXPECT_TRUE(Caption().endsWith(QStringLiteral("/日本語.txt - Tavuko")));
}

TEST_F(MainFormTest, TabWidthComesFromTheExtensionAfterTheLastSeparator)
{
    const std::vector<std::pair<std::string, int>> cases = {
        {"A.PAS", 2},      {"/x/y.pas", 2},  {"x.Hpp", 4},    {"x.c", 4},     {"X.CPP", 4},
        {"x.h", 4},        {"readme", 8},    {"x.txt", 8},    {"x.pas.txt", 8}, {"x.txt.c", 4},
        {"C:\\dir.c\\readme", 8},            {"/home/u/dir.c/readme", 8},     {"C:a.h", 4},
        {"x.", 8},         {"x.cc", 8},      {".pas", 2},     {"", 8},
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

TEST_F(MainFormTest, FirstArgumentIsOpenedWhenFirstShownAndTheRestIgnored)
{
    const std::string a = Write("a.txt", "first\r\n");
    const std::string b = Write("b.txt", "second\r\n");
    form->Arguments = {a, b};
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
    form->Arguments = {a};
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
        form->MessageBoxFn = [&](const QString& text, const QString&, QMessageBox::Icon, QMessageBox::StandardButtons,
                                 QMessageBox::StandardButton) {
            messages.push_back({text, {}, {}, {}});
            if (whileTheMessageIsUp) arrives();
            QTest::qWait(50);
            EXPECT_EQ(view->Calls, std::vector<std::string>({"Load " + a})) << "nothing opens under the message";
            return QMessageBox::Ok;
        };
        Open(a);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, QStringLiteral("ファイルが読み込めません。"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return FirstLine() == "second"; })) << whileTheMessageIsUp;
        EXPECT_EQ(view->Calls, std::vector<std::string>({"Load " + a, "Clear", "Load " + b})) << whileTheMessageIsUp;
        EXPECT_EQ(Caption(), QFile::decodeName(QByteArray::fromStdString(b)) + " - Tavuko");
        EXPECT_EQ(form->CurrentFileName(), b);
        EXPECT_EQ(form->History.Entries(), std::vector<std::string>({b}));
        messages.clear();
        TearDown();
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

TEST_F(MainFormTest, AMissingFileIsShownEmptyWithoutAMessage)
{
    const std::string good = Write("a.txt", "text\r\n");
    Open(good);
    const std::string missing = QFile::encodeName(dir.filePath("nothing.txt")).toStdString();
    Open(missing);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(view->GetCountOrg(), 0);
    EXPECT_EQ(form->CurrentFileName(), missing);
    EXPECT_EQ(Caption(), QFile::decodeName(QByteArray::fromStdString(missing)) + " - Tavuko");
    EXPECT_TRUE(form->Reload1->isEnabled());
    // A directory reads the same way.
    Open(QFile::encodeName(dir.path()).toStdString());
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(view->GetCountOrg(), 0);
}

TEST_F(MainFormTest, ALoadThatCannotBeHeldIsReportedAndLeavesAnEmptyView)
{
    for (int round = 0; round < 2; ++round) {
        messages.clear();
        Open(Write("a.txt", "text\r\n"));
        ASSERT_EQ(FirstLine(), "text");
        const std::vector<std::string> history = form->History.Entries();
        const bool back = form->Back1->isEnabled(), forward = form->Forward1->isEnabled();
        const std::string big = Write("big.c", "x");
        view->NoMemory = true;
        Open(big);
        view->NoMemory = false;
        ASSERT_EQ(messages.size(), 1u);
        // The history and its moves are left as they were.
        EXPECT_EQ(form->History.Entries(), history);
        EXPECT_EQ(std::pair(form->Back1->isEnabled(), form->Forward1->isEnabled()), std::pair(back, forward));
        EXPECT_EQ(messages[0].text, QStringLiteral("ファイルが読み込めません。"));
        EXPECT_EQ(messages[0].caption, QStringLiteral("開く"));
        EXPECT_EQ(messages[0].icon, QMessageBox::Critical);
        EXPECT_EQ(messages[0].buttons, QMessageBox::Ok);
        EXPECT_EQ(view->GetCountOrg(), 0);
        EXPECT_EQ(form->CurrentFileName(), "");
        EXPECT_EQ(Caption(), "Tavuko");
        // The tab width was chosen before the load and stays; Reload stays enabled.
        EXPECT_EQ(view->ViewTabStop(), 4);
        EXPECT_TRUE(form->Reload1->isEnabled());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
    // Reloading now opens the empty name: still empty, no message, caption "Tavuko".
    messages.clear();
    view->Calls.clear();
    form->Reload1Click();
    EXPECT_EQ(view->Calls, std::vector<std::string>({"Load "}));
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(view->GetCountOrg(), 0);
    EXPECT_EQ(Caption(), "Tavuko");
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

    // A name typed that names no file is opened as well: empty, no message, in the caption.
    const std::string typed = QFile::encodeName(dir.filePath("typed.txt")).toStdString();
    choose(typed);
    form->Open1Click();
    EXPECT_EQ(form->CurrentFileName(), typed);
    EXPECT_EQ(view->GetCountOrg(), 0);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(Caption(), QFile::decodeName(QByteArray::fromStdString(typed)) + " - Tavuko");
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
