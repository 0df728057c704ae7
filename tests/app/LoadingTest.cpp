// Opening a file in the main window while the window goes on answering: keys work on the file
// shown, Esc and closing the window cancel (a cancelled open changes nothing the user sees),
// what is asked meanwhile runs after in order, the progress shows after half a second, and a
// read error part way is reported with how much was read.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QMimeData>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <atomic>
#include <chrono>
#include <functional>
#include <random>
#include <thread>

#include "app/LoadProgress.h"
#include "app/MainForm.h"
#include "bigview/Bigview.h"
#include "support/MainFormFixture.h"
#include "support/ReadSeam.h"
#include "support/RunEventsUntil.h"
#include "support/TestFiles.h"

namespace {

// The read call of a load: 1 KiB at a time, a little slowly, running onRead before each call
// (on the reading thread) and failing from call failFrom on.
std::function<void(int call)> gOnRead;
std::atomic<int> gCalls{0};
std::atomic<int> gFailFrom{0};
ssize_t SlowRead(int fd, void* b, size_t n)
{
    const int call = ++gCalls;
    if (gOnRead) gOnRead(call);
    std::this_thread::sleep_for(std::chrono::microseconds(200));
    if (gFailFrom && call >= gFailFrom) {
        errno = EIO;
        return -1;
    }
    return ::read(fd, b, std::min<size_t>(n, 1024));
}

// Everything of the window a user sees of an open, to compare before and after.
struct Seen {
    std::string shown, firstLine;
    QString title;
    std::vector<std::string> history;
    int historyIndex, top, tab;
    TPoint selStart, selEnd;
    bool back, forward;
    friend bool operator==(const Seen&, const Seen&) = default;
};

class LoadingTest : public TFormFixture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        syncBelow = TBigView::SyncLoadBelow;
        TBigView::SyncLoadBelow = 0;  // every file loads off the thread
        view = MakeForm();
        ASSERT_NO_FATAL_FAILURE(ShowExposed());
        gCalls = 0;
    }
    void TearDown() override
    {
        gOnRead = nullptr;
        gFailFrom = 0;
        TFormFixture::TearDown();
        TBigView::SyncLoadBelow = syncBelow;
    }
    // lines lines of 1 KiB (less the line end), each beginning with fill.
    std::string Write(const QString& name, char fill, int lines = 200)
    {
        QByteArray bytes;
        for (int i = 0; i < lines; ++i) bytes += QByteArray(1022, fill) + "\r\n";
        return WriteTestFile(dir, name, bytes);
    }
    // Opens a file and waits for it to be shown.
    void Show(const std::string& name)
    {
        form->OpenFile(name, true);
        ASSERT_TRUE(RunEventsUntil([&] { return !form->CurrentFile().Loading(); }));
    }
    Seen Now() const
    {
        return {form->CurrentFileName(),
                view->GetCountOrg() ? view->GetOrg(0).str() : "",
                form->windowTitle(),
                form->History.Entries(),
                form->History.Index(),
                view->ViewLineStart(),
                view->ViewTabStop(),
                view->SelStart(),
                view->SelEnd(),
                form->Back1->isEnabled(),
                form->Forward1->isEnabled()};
    }
    void PostKey(Qt::Key key)
    {
        QCoreApplication::postEvent(view, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
        QCoreApplication::postEvent(view, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier));
    }

    uint64_t syncBelow = 0;
    TBigView* view = nullptr;
};

}  // namespace

TEST_F(LoadingTest, KeysWorkOnTheFileShownAndEscCancelsTheLoadWithoutClosingTheWindow)
{
    const std::string a = Write("a.txt", 'a'), b = Write("b.c", 'b', 3000);
    Show(a);
    ReadSeam seam(SlowRead);
    form->OpenFile(b, true);
    // The file shown answers its keys while the other loads.
    const int top = view->ViewLineStart();
    PostKey(Qt::Key_Down);
    ASSERT_TRUE(RunEventsUntil([&] { return view->ViewLineStart() == top + 1; }));
    ASSERT_TRUE(form->CurrentFile().Loading());
    EXPECT_EQ(form->windowTitle(), QFile::decodeName(a.c_str()) + " - Tavuko");  // named by the file shown
    const Seen before = Now();
    PostKey(Qt::Key_Escape);
    ASSERT_TRUE(RunEventsUntil([&] { return !form->CurrentFile().Loading(); }));
    EXPECT_EQ(Now(), before);
    EXPECT_LT(gCalls.load(), 2500) << "the load went on after Esc";
    QTest::qWait(30);
    EXPECT_TRUE(form->isVisible()) << "the Esc was the load's";
    EXPECT_TRUE(messages.empty());

    // With no load, Esc is the command it always was: the window closes.
    PostKey(Qt::Key_Escape);
    EXPECT_TRUE(RunEventsUntil([&] { return !form->isVisible(); }));
}

TEST_F(LoadingTest, AnOpenCancelledAtAnyPointChangesNothingTheUserSees)
{
    const std::string a = Write("a.txt", 'a'), b = Write("b.c", 'b', 600);
    Show(a);
    Show(Write("a2.txt", 'c'));
    form->Back1Click();  // a history with a place in it
    ASSERT_TRUE(RunEventsUntil([&] { return !form->CurrentFile().Loading(); }));
    view->SetViewLineStart(30);
    view->SetSelStart({5, 31});
    view->SetSelEnd({9, 32});
    ReadSeam seam(SlowRead);
    // The reading thread says when and waits while the window's own thread presses Esc, so that
    // the load cannot end before the key is handled, however slow the machine.
    std::atomic<bool> escDue{false}, escDone{false};
    QTimer presser;
    presser.setInterval(1);
    QObject::connect(&presser, &QTimer::timeout, [&] {
        if (!escDue.exchange(false)) return;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(view, &press);
        QCoreApplication::sendEvent(view, &release);
        escDone = true;
    });
    presser.start();
    std::mt19937 rng(2024);
    for (int round = 0; round < 20; ++round) {
        const Seen before = Now();
        const int at = 1 + int(rng() % 180);  // every file here takes 200 reads and more
        gCalls = 0;
        escDone = false;
        gOnRead = [&escDue, &escDone, at](int call) {
            if (call != at) return;
            escDue = true;
            for (int waited = 0; !escDone && waited < 10000; ++waited)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        };
        // Every kind of open: a new file, Forward in the history, reload.
        switch (round % 3) {
        case 0: form->OpenFile(b, true); break;
        case 1: form->Forward1Click(); break;
        case 2: form->Reload1Click(); break;
        }
        ASSERT_TRUE(RunEventsUntil([&] { return !form->CurrentFile().Loading(); })) << round;
        gOnRead = nullptr;
        EXPECT_EQ(Now(), before) << "round " << round << ", cancelled at read " << at;
        EXPECT_TRUE(form->isVisible());
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(LoadingTest, ClosingTheWindowCancelsTheLoad)
{
    const std::string a = Write("a.txt", 'a'), b = Write("b.txt", 'b', 5000);
    Show(a);
    ReadSeam seam(SlowRead);
    form->OpenFile(b, true);
    QTest::qWait(20);
    ASSERT_TRUE(form->CurrentFile().Loading());
    QElapsedTimer t;
    t.start();
    form->close();
    EXPECT_FALSE(form->isVisible());
    ASSERT_TRUE(RunEventsUntil([&] { return !form->CurrentFile().Loading(); }));
    EXPECT_LT(t.elapsed(), 2000);
    EXPECT_LT(gCalls.load(), 4000);
    EXPECT_EQ(form->CurrentFileName(), a);
}

TEST_F(LoadingTest, OpensDropsAndRequestsDuringALoadRunAfterItInOrder)
{
    const std::string first = Write("first.txt", 'a', 2000), dropped = Write("dropped.txt", 'b'),
                      requested = Write("requested.txt", 'c'), again = Write("again.txt", 'd');
    ReadSeam seam(SlowRead);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QFile::decodeName(dropped.c_str()))});
    std::vector<std::string> shown;
    const auto note = [&] {
        if (shown.empty() || shown.back() != form->CurrentFileName()) shown.push_back(form->CurrentFileName());
    };
    form->OpenFile(first, true);
    QTest::qWait(10);
    const QPoint at = view->geometry().center();
    QCoreApplication::postEvent(form.get(),
                                new QDragEnterEvent(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(form.get(), new QDropEvent(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier));
    // Another program's request, as it arrives through the bus.
    QMetaObject::invokeMethod(
        form.get(), [&] { form->systemExecuteMacro("[Open(\"" + requested + "\")]"); }, Qt::QueuedConnection);
    QMetaObject::invokeMethod(
        form.get(), [&] { form->OpenFile(again, true); }, Qt::QueuedConnection);
    ASSERT_TRUE(RunEventsUntil([&] {
        note();
        return form->CurrentFileName() == again && !form->CurrentFile().Loading();
    }));
    EXPECT_EQ(shown, (std::vector<std::string>{"", first, dropped, requested, again}));
    EXPECT_EQ(form->History.Entries(), (std::vector<std::string>{again, requested, dropped, first}));
    EXPECT_TRUE(messages.empty());
}

TEST_F(LoadingTest, TheProgressShowsAfterHalfASecondAndReachesItsEndWithTheText)
{
    const std::string b = Write("b.txt", 'b', 3000);
    qint64 now = 0;
    form->LoadProgress()->Clock = [&] { return now; };
    ReadSeam seam(SlowRead);
    form->OpenFile(b, true);
    QTest::qWait(120);
    EXPECT_TRUE(!form->LoadProgress()->Bar() || !form->LoadProgress()->Bar()->isVisible()) << "shown too soon";
    now = 600;
    std::vector<int> values;
    ASSERT_TRUE(RunEventsUntil([&] {
        if (QProgressBar* bar = form->LoadProgress()->Bar(); bar && bar->isVisible()) values.push_back(bar->value());
        return !form->CurrentFile().Loading();
    }));
    ASSERT_GE(values.size(), 3u);
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
    EXPECT_LT(values.back(), 1000) << "the end before the text was shown";
    EXPECT_GT(values.back(), values.front());
    EXPECT_EQ(form->LoadProgress()->Bar()->value(), 1000);
    EXPECT_FALSE(form->LoadProgress()->Bar()->isVisible());
    EXPECT_EQ(form->CurrentFileName(), b);
}

TEST_F(LoadingTest, AReadErrorPartWayIsReportedWithTheBytesReadAndTheFileBeforeStays)
{
    Show(Write("a.txt", 'a', 10));
    const Seen before = Now();
    const std::string b = Write("b.txt", 'b', 100);
    ReadSeam seam(SlowRead);
    gFailFrom = 31;  // 30 KiB arrive
    form->OpenFile(b, true);
    ASSERT_TRUE(RunEventsUntil([&] { return !form->CurrentFile().Loading(); }));
    EXPECT_EQ(Now(), before);
    EXPECT_EQ(view->GetCountOrg(), 10);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.contains(QFile::decodeName(QByteArray::fromStdString(b))))
        << messages[0].text.toStdString();
    EXPECT_TRUE(messages[0].text.contains(QStringLiteral("30,720 バイト"))) << messages[0].text.toStdString();
}
