// The about box: its texts, the addresses that can be copied, and every way to end it.
#include "dialogs/AboutBox.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

TEST(AboutBox, ShowsTheProgramAndItsVersionWithCopyableAddresses)
{
    TAboutBox box;
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Tavuko のバージョン情報"));
    EXPECT_EQ(box.size(), QSize(257, 152));
    EXPECT_EQ(box.ProductName->text(), QStringLiteral("Tavuko"));
    EXPECT_EQ(box.Version->text(), QStringLiteral("Version 1.40"));
    EXPECT_EQ(box.ProgramIcon->size(), QSize(33, 33));
    for (QLineEdit* e : {box.Email, box.Webpage}) {
        EXPECT_TRUE(e->isReadOnly());
        EXPECT_FALSE(e->hasFrame());
        e->selectAll();
        EXPECT_EQ(e->selectedText(), e->text());
    }
    EXPECT_TRUE(box.Email->text().endsWith(QStringLiteral("@example.org")));
    EXPECT_TRUE(box.Webpage->text().startsWith(QStringLiteral("https://")));
    EXPECT_FALSE(box.windowFlags() & Qt::WindowMinMaxButtonsHint);
}

TEST(AboutBox, EnterEscapeAndItsButtonEndItWithOk)
{
    for (int way = 0; way < 4; ++way) {
        TAboutBox box;
        box.show();
        QApplication::setActiveWindow(&box);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
        EXPECT_EQ(QApplication::focusWidget(), box.OKButton);
        box.setResult(-1);
        switch (way) {
        case 0: QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); break;
        case 1: QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); break;
        case 2: QTest::mouseClick(box.OKButton, Qt::LeftButton); break;
        case 3: box.close(); break;  // the window's close button
        }
        EXPECT_FALSE(box.isVisible()) << way;
        EXPECT_EQ(box.result(), QDialog::Accepted) << way;
    }
}

}  // namespace
