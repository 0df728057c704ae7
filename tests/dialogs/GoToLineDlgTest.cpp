// The go-to-line dialog driven by keys, without the main window.
#include "dialogs/GoToLineDlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QSpinBox>
#include <QTest>

namespace {

TEST(GoToLineDlg, AsksForALineOfTheTextWithTheTopLineChosenAtFirst)
{
    TGoToLineDlg d(40, 1234);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("指定行へ移動"));
    EXPECT_EQ(d.Edit1->minimum(), 1);
    EXPECT_EQ(d.Edit1->maximum(), 1234);
    EXPECT_EQ(d.Edit1->value(), 40);
    const QList<QLabel*> labels = d.findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels[0]->text(), QStringLiteral("行番号(&L) (1 - 1234):"));
    // The whole number shows.
    EXPECT_GE(d.Edit1->width(), d.Edit1->fontMetrics().horizontalAdvance(QStringLiteral("1234")));
}

TEST(GoToLineDlg, TypedNumbersAndEnterOrEscape)
{
    struct Case {
        int current, count;
        QString typed;  // replaces the number chosen at first
        Qt::Key end;
        bool accepted;
        int line;
    };
    const Case cases[] = {
        {1, 100, QStringLiteral("25"), Qt::Key_Return, true, 25},
        {1, 100, QStringLiteral("25"), Qt::Key_Enter, true, 25},
        {40, 100, QString(), Qt::Key_Return, true, 40},  // Enter alone: the top line's own
        {40, 100, QStringLiteral("7"), Qt::Key_Escape, false, 0},
        {500, 100, QString(), Qt::Key_Return, true, 100},  // a top past the count: the last line
        {0, 100, QString(), Qt::Key_Return, true, 1},
        {1, 100, QStringLiteral("100"), Qt::Key_Return, true, 100},
        // A digit that would go past the count is not taken.
        {1, 100, QStringLiteral("1009"), Qt::Key_Return, true, 100},
        {3, 1, QString(), Qt::Key_Return, true, 1},
        {3, 0, QString(), Qt::Key_Return, true, 1},  // no lines: still one to go to
    };
    for (const Case& c : cases) {
        const std::string what =
            std::to_string(c.current) + " of " + std::to_string(c.count) + " typed " + c.typed.toStdString();
        TGoToLineDlg d(c.current, c.count);
        d.show();
        QApplication::setActiveWindow(&d);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&d)) << what;
        ASSERT_EQ(QApplication::focusWidget(), d.Edit1) << what;
        d.setResult(-1);
        QTest::keyClicks(QApplication::focusWidget(), c.typed);
        QTest::keyClick(QApplication::focusWidget(), c.end);
        EXPECT_FALSE(d.isVisible()) << what;
        EXPECT_EQ(d.result(), c.accepted ? QDialog::Accepted : QDialog::Rejected) << what;
        if (c.accepted) {
            EXPECT_EQ(d.Line(), c.line) << what;
        }
    }
}

}  // namespace
