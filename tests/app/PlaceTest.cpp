// Keeping one's place in the main window: Back, Forward and the Go menu return to where the
// reader left each file, Reload keeps the file line at the top, go to line, select all, the
// status bar and its setting, and the Open dialog's folder.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <algorithm>
#include <cstring>

#include "app/MainForm.h"
#include "app/Place.h"
#include "app/StatusBar.h"
#include "bigview/Bigview.h"
#include "dialogs/GoToLineDlg.h"
#include "support/KeyInput.h"
#include "support/MainFormFixture.h"
#include "support/TestFiles.h"
#include "support/WhenModal.h"

void PrintTo(const TPlace& p, std::ostream* os) { *os << "line " << p.line << " byte " << p.pos; }

namespace {

class PlaceTest : public TFormFixture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        UseOwnConfig();
        Make();
    }
    void Make()
    {
        view = MakeForm();
        ShowActive();
    }

    // count lines "name n", every seventh long enough to wrap into three display lines.
    std::string Lines(const QString& name, int count, const char* end = "\r\n")
    {
        QByteArray bytes;
        for (int i = 0; i < count; ++i) {
            bytes += name.toLatin1() + ' ' + QByteArray::number(i);
            if (i % 7 == 3) bytes += ' ' + QByteArray(200, 'w');
            bytes += end;
        }
        return WriteTestFile(dir, name, bytes);
    }
    TPlace Place() const { return PlaceOfTop(*view); }

    TBigView* view = nullptr;
};

TEST_F(PlaceTest, BackForwardAndTheGoMenuReturnWhereEachFileWasLeft)
{
    const std::string a = Lines(QStringLiteral("a.txt"), 300), b = Lines(QStringLiteral("b.txt"), 300);
    Open(a);
    ASSERT_GT(view->GetCount(), view->GetCountOrg()) << "long lines wrap";
    // The top is the second piece of a wrapped file line.
    const int wrapped = view->ConvertIndexFromOrg(101) + 1;
    ASSERT_EQ(view->ConvertIndexToOrg(wrapped), 101);
    view->SetViewLineStart(wrapped);
    const TPlace inA = Place();
    EXPECT_EQ(inA.line, 101);
    EXPECT_GT(inA.pos, 0);

    Open(b);
    EXPECT_EQ(Place(), TPlace{}) << "a file opened anew starts at the top";
    view->SetViewLineStart(view->ConvertIndexFromOrg(250));
    const TPlace inB = Place();

    PressKey(Qt::Key_Backspace);
    ASSERT_EQ(form->CurrentFileName(), a);
    EXPECT_EQ(Place(), inA);
    EXPECT_EQ(view->ViewLineStart(), wrapped);
    view->SetViewLineStart(5);  // moved before leaving again: that is A's place now
    const TPlace movedInA = Place();

    PressKey(Qt::Key_Right, Qt::AltModifier);
    ASSERT_EQ(form->CurrentFileName(), b);
    EXPECT_EQ(Place(), inB);

    form->HistP[1]->trigger();  // A from the Go menu
    ASSERT_EQ(form->CurrentFileName(), a);
    EXPECT_EQ(Place(), movedInA);
    // Choosing the entry shown reads it again where it is.
    view->SetViewLineStart(view->ConvertIndexFromOrg(200));
    const TPlace now = Place();
    form->HistP[1]->trigger();
    EXPECT_EQ(Place(), now);

    // At another width the same place is another display line, and still the same place.
    form->resize(form->width() + 200, form->height());
    QApplication::processEvents();
    PressKey(Qt::Key_Right, Qt::AltModifier);
    PressKey(Qt::Key_Backspace);
    EXPECT_EQ(Place(), now);

    // Opening a file drops the newer entries and their places; the new one starts at the top.
    const std::string c = Lines(QStringLiteral("c.txt"), 10);
    Open(c);
    EXPECT_EQ(Place(), TPlace{});
    PressKey(Qt::Key_Backspace);
    EXPECT_EQ(Place(), now);
}

TEST_F(PlaceTest, BackToAFileThatShrankMeanwhileShowsItsEnd)
{
    const std::string a = Lines(QStringLiteral("a.txt"), 300), b = Lines(QStringLiteral("b.txt"), 10);
    Open(a);
    view->SetViewLineStart(view->ConvertIndexFromOrg(200));
    Open(b);
    Lines(QStringLiteral("a.txt"), 100);
    PressKey(Qt::Key_Backspace);
    ASSERT_EQ(view->GetCountOrg(), 100);
    EXPECT_EQ(view->ViewLineStart(), view->GetCount() - view->ViewLines());
    EXPECT_EQ(view->ViewLineEnd(), view->GetCount() - 1);
}

TEST_F(PlaceTest, ReloadKeepsTheTopFileLineOrShowsTheEndWhenTheFileNoLongerHasIt)
{
    struct Case {
        const char* what;
        Qt::Key key;
        int top;         // the file line at the top before
        int linesAfter;  // the file's lines when read again
        int wantTop;     // the file line at the top after; -1: the end
    };
    const Case cases[] = {
        {"grown, F5", Qt::Key_F5, 120, 400, 120},  {"grown, R", Qt::Key_R, 120, 400, 120},
        {"the same", Qt::Key_F5, 77, 300, 77},     {"shrunk but still there", Qt::Key_F5, 120, 121, 120},
        {"shrunk away", Qt::Key_F5, 120, 120, -1}, {"emptied", Qt::Key_F5, 120, 0, -1},
        {"the top", Qt::Key_F5, 0, 50, 0},
    };
    for (const Case& c : cases) {
        const std::string a = Lines(QStringLiteral("r.txt"), 300);
        Open(a);
        view->SetViewLineStart(view->ConvertIndexFromOrg(c.top));
        Lines(QStringLiteral("r.txt"), c.linesAfter);
        PressKey(c.key);
        ASSERT_EQ(view->GetCountOrg(), c.linesAfter) << c.what;
        if (c.wantTop >= 0) {
            EXPECT_EQ(Place(), (TPlace{c.wantTop, 0})) << c.what;
        } else {
            EXPECT_EQ(view->ViewLineEnd(), std::max(0, view->GetCount() - 1)) << c.what;
            EXPECT_EQ(view->ViewLineStart(), std::max(0, view->GetCount() - view->ViewLines())) << c.what;
        }
    }
    EXPECT_EQ(form->History.Count(), 1);
}

TEST_F(PlaceTest, GoToLinePutsTheLineAtTheTop)
{
    emit form->Go1->aboutToShow();  // the menu's update, as on opening it
    EXPECT_FALSE(form->GoLine1->isEnabled()) << "nothing to go to";
    Open(Lines(QStringLiteral("g.txt"), 300));
    view->SetViewLineStart(view->ConvertIndexFromOrg(45) + 1);  // the second piece of line 46
    int offered = 0, maximum = 0;
    WhenModal<TGoToLineDlg>([&](TGoToLineDlg* d) {
        offered = d->Edit1->value();
        maximum = d->Edit1->maximum();
        QTest::keyClicks(d->Edit1, QStringLiteral("250"));
        QTest::keyClick(d->Edit1, Qt::Key_Return);
    });
    form->GoLine1Click();
    EXPECT_EQ(offered, 46);
    EXPECT_EQ(maximum, 300);
    EXPECT_EQ(Place(), (TPlace{249, 0}));

    // Escape leaves the view where it is.
    WhenModal<TGoToLineDlg>([&](TGoToLineDlg* d) {
        offered = d->Edit1->value();
        QTest::keyClicks(d->Edit1, QStringLiteral("3"));
        QTest::keyClick(d->Edit1, Qt::Key_Escape);
    });
    form->GoLine1Click();
    EXPECT_EQ(offered, 250);
    EXPECT_EQ(Place(), (TPlace{249, 0}));

    // The last line, also alone at the top.
    WhenModal<TGoToLineDlg>([&](TGoToLineDlg* d) {
        QTest::keyClicks(d->Edit1, QStringLiteral("300"));
        QTest::keyClick(d->Edit1, Qt::Key_Return);
    });
    form->GoLine1Click();
    EXPECT_EQ(Place(), (TPlace{299, 0}));
}

TEST_F(PlaceTest, CtrlASelectsTheWholeTextAndCopyTakesItAll)
{
    form->Edit1Click();
    EXPECT_FALSE(form->SelectAll1->isEnabled()) << "no text";
    for (const char* end : {"\r\n", "\n"}) {
        const std::string name = Lines(QStringLiteral("s.txt"), 40, end);
        Open(name);
        QFile f(QFile::decodeName(QByteArray::fromStdString(name)));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        QByteArray whole = f.readAll();
        whole.chop(qsizetype(strlen(end)));  // the last line end is not selected
        PressKey(Qt::Key_A, Qt::ControlModifier);
        ASSERT_GT(view->CopyToSelBuf(nullptr), 0) << "nothing selected";
        std::string copied(size_t(view->CopyToSelBuf(nullptr)), '\0');
        copied.resize(size_t(view->CopyToSelBuf(copied.data())));
        // The copy ends every line with CR LF, as the clipboard takes it.
        EXPECT_EQ(copied, QByteArray(whole).replace("\r\n", "\n").replace("\n", "\r\n").toStdString()) << end;
        form->Edit1Click();
        EXPECT_TRUE(form->Copy1->isEnabled());
        EXPECT_TRUE(form->SelectAll1->isEnabled());
        EXPECT_EQ(view->ViewLineStart(), 0) << "selecting does not move the view";
    }
}

TEST_F(PlaceTest, TheStatusBarIsOffAtFirstAndSaysWhereTheReaderIs)
{
    const QSize viewSize = view->size();
    EXPECT_EQ(form->findChild<QStatusBar*>(), nullptr) << "the window is as it always was";
    EXPECT_FALSE(form->StatusBar1->isChecked());
    Open(Lines(QStringLiteral("st.txt"), 300));

    form->StatusBar1->trigger();
    ASSERT_NE(form->StatusBarShown(), nullptr);
    EXPECT_TRUE(form->StatusBarShown()->isVisible());
    QApplication::processEvents();  // the window's layout
    EXPECT_LT(view->height(), viewSize.height());
    const auto texts = [&] {
        QApplication::processEvents();  // the view paints, and the bar follows it
        return form->StatusBarShown()->Texts();
    };
    TStatusTexts t = texts();
    EXPECT_EQ(t.encoding, QStringLiteral("Shift_JIS"));
    EXPECT_EQ(t.lineEnds, QStringLiteral("CR LF"));
    EXPECT_EQ(t.line, QStringLiteral("行 1 / 300"));
    EXPECT_EQ(t.following, QString());
    PressKey(Qt::Key_End);
    t = texts();
    EXPECT_EQ(t.line, QStringLiteral("行 %1 / 300").arg(view->ConvertIndexToOrg(view->ViewLineStart()) + 1));
    EXPECT_EQ(t.percent, QStringLiteral("100%"));
    form->SetFollowingShown(true);
    EXPECT_EQ(texts().following, QStringLiteral("追跡中"));
    form->SetFollowingShown(false);

    // Another file: its own encoding and line ends.
    const QByteArray utf8 = "\xe6\x97\xa5\xe6\x9c\xac\n\xe8\xaa\x9e\n";
    Open(WriteTestFile(dir, QStringLiteral("u.txt"), utf8));
    t = texts();
    EXPECT_EQ(t.encoding, QStringLiteral("UTF-8"));
    EXPECT_EQ(t.lineEnds, QStringLiteral("LF"));
    EXPECT_EQ(t.line, QStringLiteral("行 1 / 2"));

    // The labels show the texts.
    QStringList shown;
    for (QLabel* l : form->StatusBarShown()->findChildren<QLabel*>())
        if (l->isVisible()) shown << l->text();
    EXPECT_EQ(shown, QStringList({"UTF-8", "LF", "行 1 / 2", "100%"}));

    // Off again: the view has its whole height back. The choice is saved and comes back.
    form->StatusBar1->trigger();
    EXPECT_FALSE(form->StatusBarShown()->isVisible());
    QApplication::processEvents();
    EXPECT_EQ(view->size(), viewSize);
    form->StatusBar1->trigger();
    form->close();
    Make();
    EXPECT_TRUE(form->StatusBar1->isChecked());
    ASSERT_NE(form->StatusBarShown(), nullptr);
    EXPECT_TRUE(form->StatusBarShown()->isVisible());
}

TEST_F(PlaceTest, TheOpenDialogStartsInTheFolderOfTheFileShownWithEveryFile)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    const std::string inSub = WriteTestFile(dir, QStringLiteral("sub/README"), "readme\n");
    Open(inSub);
    QString folder, filter;
    WhenModal<QFileDialog>([&](QFileDialog* d) {
        folder = d->directory().absolutePath();
        filter = d->selectedNameFilter();
        d->reject();
    });
    form->Open1Click();
    EXPECT_EQ(folder, QDir(dir.filePath(QStringLiteral("sub"))).absolutePath());
    EXPECT_EQ(filter, QStringLiteral("すべてのファイル(*)"));
}

}  // namespace
