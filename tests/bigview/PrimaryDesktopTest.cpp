// A finished drag selection as X11's PRIMARY selection: xclip reads it while this process
// serves it, and the view keeps its selection. Needs an X server; without DISPLAY the program
// reports itself skipped (exit status 77).
#include <gtest/gtest.h>

#include <QTest>

#include "bigview/Bigview.h"
#include "support/Xclip.h"

namespace {

TEST(PrimaryDesktop, ADragSelectionIsOfferedAsPrimaryAndStaysSelected)
{
    TBigView view;
    view.SetViewFont(TViewFont::DefaultViewFont());
    view.SetSelect(true);
    view.resize(400, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.LinesAssign({TBvText("\x82\xA0\x82\xA2 abcdef"), TBvText("second line")});
    // A drag over the first line, from its first column to the sixth, with the mouse.
    const int y = view.ClientRect().top() + view.LineHeight() / 2;
    const int x0 = view.ClientRect().left() + TBigView::LeftMargin + 1;
    const int x1 = x0 + 5 * view.CharWidth();
    QTest::mousePress(&view, Qt::LeftButton, Qt::NoModifier, QPoint(x0, y));
    QTest::mouseMove(&view, QPoint(x1, y));
    QTest::mouseRelease(&view, Qt::LeftButton, Qt::NoModifier, QPoint(x1, y));
    ASSERT_NE(view.SelStart(), view.SelEnd());
    const TPoint from = view.SelStart(), to = view.SelEnd();
    EXPECT_EQ(QString::fromUtf8(Xclip({"-o", "-selection", "primary", "-t", "UTF8_STRING"})),
              QString::fromUtf8("あい "));  // the five bytes dragged over
    EXPECT_EQ(view.SelStart(), from);
    EXPECT_EQ(view.SelEnd(), to);
}

}  // namespace

int main(int argc, char** argv) { return RunXclipTests(argc, argv); }
