// A long load in the main window: painted progress, Esc abandoning it, and everything else that
// arrives meanwhile held until the load is done.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QKeyEvent>
#include <QMimeData>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <functional>

#include "app/LoadGate.h"
#include "app/MainForm.h"
#include "bigview/Bigview.h"
#include "support/ReadSeam.h"

namespace {

// The read call of the load: 1 KiB at a time, running onRead before each call.
std::function<void(int call)> gOnRead;
int gCalls = 0;
ssize_t SlowRead(int fd, void* b, size_t n)
{
    if (gOnRead) gOnRead(++gCalls);
    return ::read(fd, b, std::min<size_t>(n, 1024));
}

// Counts paints of progress bars and notes when key presses reach the view.
struct Watcher : QObject {
    int barPaints = 0;
    std::vector<int> keysAtLines;  // the view's file lines when each key press reached it
    TBigView* view = nullptr;
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Paint && qobject_cast<QProgressBar*>(o)) ++barPaints;
        if (e->type() == QEvent::KeyPress && o == view) keysAtLines.push_back(view->GetCountOrg());
        return false;
    }
};

class LoadGateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CurrentFileName.clear();
        form = std::make_unique<TForm1>();
        view = form->BigView1;
        form->MessageBoxFn = [this](const QString& text, const QString&, QMessageBox::Icon, QMessageBox::StandardButtons,
                                    QMessageBox::StandardButton) {
            messages.push_back(text);
            return QMessageBox::Ok;
        };
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        // Each look at the clock is 50 ms later: the window paints at every part, and the
        // progress shows from the eleventh.
        form->LoadGate()->Clock = [this] { return now += 50; };
        watcher.view = view;
        qApp->installEventFilter(&watcher);
        gCalls = 0;
    }
    void TearDown() override
    {
        gOnRead = nullptr;
        qApp->removeEventFilter(&watcher);
        form.reset();
        CurrentFileName.clear();
    }
    // 200 lines of 1 KiB: 200 read calls.
    std::string Write(const QString& name, char fill)
    {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        for (int i = 0; i < 200; ++i) f.write(QByteArray(1022, fill) + "\r\n");
        return QFile::encodeName(f.fileName()).toStdString();
    }
    void Open(const std::string& name)
    {
        CurrentFileName = name;
        form->OpenFile(name, true);
    }
    QString Caption(const std::string& name) const { return QFile::decodeName(name.c_str()) + " - Tavuko"; }

    QTemporaryDir dir;
    std::unique_ptr<TForm1> form;
    TBigView* view = nullptr;
    qint64 now = 0;
    Watcher watcher;
    std::vector<QString> messages;
};

}  // namespace

TEST_F(LoadGateTest, ALongLoadShowsItsProgressAndEscAbandonsIt)
{
    const std::string name = Write("long.txt", 'a');
    ReadSeam seam(SlowRead);
    gOnRead = [this](int call) {
        if (call == 40) QCoreApplication::postEvent(view, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    };
    Open(name);
    EXPECT_GT(watcher.barPaints, 0) << "the progress was never painted";
    EXPECT_LT(gCalls, 60) << "the load went on after Esc";
    // Abandoned: an empty view, as for a file that cannot be read; no message; the Esc was the
    // load's, not a command's, so the window stays.
    EXPECT_EQ(view->GetCountOrg(), 0);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(form->windowTitle(), Caption(name));
    EXPECT_FALSE(form->LoadGate()->ProgressBar()->isVisible());
    QTest::qWait(20);
    EXPECT_TRUE(form->isVisible());

    // The next load runs to its end.
    gOnRead = nullptr;
    Open(name);
    EXPECT_EQ(view->GetCountOrg(), 200);
}

TEST_F(LoadGateTest, KeysDropsAndOpenRequestsDuringALoadWaitForItsEnd)
{
    const std::string first = Write("first.txt", 'a'), dropped = Write("dropped.txt", 'b'),
                      requested = Write("requested.txt", 'c');
    ReadSeam seam(SlowRead);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QFile::decodeName(dropped.c_str()))});
    std::vector<std::string> loads;  // the name shown while each load ran
    const auto note = [&] {
        if (loads.empty() || loads.back() != CurrentFileName) loads.push_back(CurrentFileName);
    };
    gOnRead = [&](int call) {
        note();
        if (call == 20) QCoreApplication::postEvent(view, new QKeyEvent(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier));
        if (call == 30) {
            const QPoint at = view->geometry().center();
            QCoreApplication::postEvent(form.get(), new QDragEnterEvent(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier));
            QCoreApplication::postEvent(form.get(), new QDropEvent(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier));
        }
        if (call == 40)  // another program's open request, as it arrives through the bus
            QMetaObject::invokeMethod(
                form.get(),
                [&] {
                    CurrentFileName = requested;
                    form->OpenFile(requested, true);
                },
                Qt::QueuedConnection);
        if (call == 50) gOnRead = [&](int) { note(); };
    };
    gCalls = 0;
    Open(first);
    // The first load ran to its end under its own name.
    EXPECT_EQ(view->GetCountOrg(), 200);
    EXPECT_EQ(view->GetOrg(0).str()[0], 'a');
    EXPECT_EQ(form->windowTitle(), Caption(first));
    EXPECT_TRUE(watcher.keysAtLines.empty()) << "a key reached the view during the load";
    // Then what arrived meanwhile, in order: the key, the drop, the request.
    EXPECT_TRUE(QTest::qWaitFor([&] { return CurrentFileName == requested && view->GetCountOrg() == 200; }));
    ASSERT_FALSE(watcher.keysAtLines.empty());
    EXPECT_EQ(watcher.keysAtLines.front(), 200);
    EXPECT_EQ(view->GetOrg(0).str()[0], 'c');
    EXPECT_EQ(form->windowTitle(), Caption(requested));
    EXPECT_EQ(loads, std::vector<std::string>({first, dropped, requested}));
    EXPECT_TRUE(messages.empty());
}
