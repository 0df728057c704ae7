// Find: the find dialog's form, its showing, Enter and Escape, the searches behind Ctrl+F, F3 and
// Shift+F3 pressed in the main window, the beep, the title suffix and the busy cursor.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <ostream>

#include "app/MainForm.h"
#include "bigview/Bigview.h"
#include "dialogs/FindDlg.h"
#include "support/MainFormFixture.h"
#include "support/ViewPixels.h"

void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

// Key presses that type the text, each character with its own text as an input method gives it.
void Type(QWidget* w, const QString& text)
{
    for (const QChar ch : text) {
        if (ch.unicode() < 0x80) QTest::keyClick(w, char(ch.unicode()));
        else QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

class FindTest : public TFormFixture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        view = MakeForm();
        dlg = new TFindDlg(form.get(), view);
        form->SetFindDlg(dlg);
        dlg->BeepFn = [this] { ++beeps; };
        form->show();
        Activate();
    }
    void Activate()
    {
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        view->setFocus();
    }

    void Open(const QByteArray& bytes, const QString& name = QStringLiteral("a.txt"))
    {
        form->OpenFile(Write(name, bytes), true);
        Activate();
    }

    // Ctrl+F in the main window; once the dialog is up, what the user does in it.
    void InDialog(const std::function<void()>& act)
    {
        QTimer::singleShot(0, dlg, [this, act] {
            EXPECT_TRUE(dlg->isVisible());
            act();
            // Whatever happened, the modal loop must end for the test to go on.
            if (dlg->isVisible()) dlg->reject();
        });
        QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
        Activate();
    }
    // Types a new find text into the dialog and presses Enter.
    void FindViaDialog(const QString& text)
    {
        InDialog([&] {
            dlg->Edit1->selectAll();
            Type(dlg->Edit1, text);
            QTest::keyClick(dlg->Edit1, Qt::Key_Return);
        });
    }
    void F3() { QTest::keyClick(view, Qt::Key_F3); }
    void ShiftF3() { QTest::keyClick(view, Qt::Key_F3, Qt::ShiftModifier); }
    int Top() const { return view->ViewLineStart(); }

    TBigView* view = nullptr;
    TFindDlg* dlg = nullptr;  // the form's child
    int beeps = 0;
};

}  // namespace

TEST_F(FindTest, TheFormAsDesigned)
{
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("検索"));
    EXPECT_EQ(dlg->size(), QSize(322, 73));
    EXPECT_EQ(dlg->minimumSize(), dlg->maximumSize());
    EXPECT_TRUE(dlg->windowFlags() & Qt::Tool);
    EXPECT_FALSE(dlg->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(dlg->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_EQ(dlg->font().pixelSize(), 12);
    const std::pair<QWidget*, QRect> places[] = {
        {dlg->Edit1, {16, 10, 201, 20}},
        {dlg->MatchCaseCB1, {16, 42, 177, 17}},
        {dlg->OKBtn, {231, 10, 75, 21}},
        {dlg->CancelBtn, {231, 40, 75, 21}},
    };
    for (const auto& [w, r] : places) EXPECT_EQ(w->geometry(), r) << w->metaObject()->className();
    // Tab order: the edit, the box, OK, Cancel, and round again.
    EXPECT_EQ(dlg->Edit1->nextInFocusChain(), dlg->MatchCaseCB1);
    EXPECT_EQ(dlg->MatchCaseCB1->nextInFocusChain(), dlg->OKBtn);
    EXPECT_EQ(dlg->OKBtn->nextInFocusChain(), dlg->CancelBtn);
    EXPECT_EQ(dlg->MatchCaseCB1->text(), QStringLiteral("大文字と小文字を区別する(&C)"));
    EXPECT_FALSE(dlg->MatchCaseCB1->isChecked());
    EXPECT_EQ(dlg->OKBtn->text(), QStringLiteral("OK"));
    EXPECT_TRUE(dlg->OKBtn->isDefault());
    EXPECT_EQ(dlg->CancelBtn->text(), QStringLiteral("キャンセル"));
    EXPECT_TRUE(dlg->Edit1->text().isEmpty());
    EXPECT_TRUE(dlg->LastFindText.empty());
}

TEST_F(FindTest, ShowingCentresOverTheMainWindowTruncatingAndSelectsTheText)
{
    dlg->Edit1->setText(QStringLiteral("abc"));
    // A window wider than the dialog, and one narrower and lower (the dialog sits over it with a
    // negative offset); odd differences, so that the division's rounding shows.
    for (const QSize size : {QSize(641, 401), QSize(241, 30)}) {
        form->move(100, 80);
        form->resize(size);
        const QRect o = form->frameGeometry();
        dlg->show();
        const QRect d = dlg->frameGeometry();
        EXPECT_EQ(d.left(), o.left() + (o.width() - d.width()) / 2) << size.width();
        EXPECT_EQ(d.top(), o.top() + (o.height() - d.height()) / 2) << size.width();
        EXPECT_EQ(dlg->focusWidget(), dlg->Edit1);
        EXPECT_EQ(dlg->Edit1->selectedText(), QStringLiteral("abc"));
        dlg->Edit1->deselect();
        dlg->hide();
    }
}

TEST_F(FindTest, TheMatchCaseBoxGivesTheFocusBackToTheText)
{
    dlg->show();
    QApplication::setActiveWindow(dlg);
    ASSERT_TRUE(QTest::qWaitForWindowActive(dlg));
    QTest::mouseClick(dlg->MatchCaseCB1, Qt::LeftButton);
    EXPECT_TRUE(dlg->MatchCaseCB1->isChecked());
    EXPECT_EQ(QApplication::focusWidget(), dlg->Edit1);
    dlg->hide();
}

TEST_F(FindTest, EnterFindsAndClosesEscapeOnlyCloses)
{
    Open("x\r\ny\r\nabc\r\nz\r\nabc\r\n");
    FindViaDialog(QStringLiteral("abc"));
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(Top(), 2);
    EXPECT_EQ(dlg->LastFindText, "abc");
    // Escape: no search, hidden, the title rebuilt all the same.
    form->setWindowTitle(QStringLiteral("stale"));
    InDialog([&] { QTest::keyClick(dlg->Edit1, Qt::Key_Escape); });
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(Top(), 2);
    EXPECT_TRUE(form->windowTitle().endsWith(QStringLiteral(" - Tavuko (検索\"abc\")")));
    // The Cancel button the same.
    InDialog([&] { QTest::mouseClick(dlg->CancelBtn, Qt::LeftButton); });
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(Top(), 2);
    // Enter with the same text again goes on below the top line; not found still closes.
    InDialog([&] { QTest::keyClick(dlg->Edit1, Qt::Key_Return); });
    EXPECT_EQ(Top(), 4);
    InDialog([&] { QTest::keyClick(dlg->Edit1, Qt::Key_Return); });
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(Top(), 4);
    EXPECT_EQ(beeps, 1);
}

TEST_F(FindTest, WhereFindNextAndPreviousStart)
{
    Open("x\r\nabc abc\r\ny\r\nABC\r\nz\r\n");
    // The match shown: selected, its line at the top; file (line, 0-based byte) of its start.
    auto shown = [&](int line, int pos) {
        EXPECT_EQ(Top(), line);
        EXPECT_EQ(TDispPos(view->SelStart()), (TDispPos{pos + 1, line}));
        EXPECT_EQ(TDispPos(view->SelEnd()), (TDispPos{pos + 4, line}));
        // Shown as the selection: inverted, not marked.
        EXPECT_EQ(CellPixel(*view, line, pos), ToQColor(view->Color()).rgb() ^ 0xFFFFFFu) << line << " " << pos;
    };
    // A new text from the start of the top line itself.
    view->SetViewLineStart(1);
    FindViaDialog(QStringLiteral("abc"));
    shown(1, 0);
    EXPECT_EQ(beeps, 0);
    // F3: just after the start of the match shown, so the later one in the same line comes next.
    F3();
    shown(1, 4);
    F3();
    shown(3, 0);
    // Not found: a beep, and nothing moves, the selection stays.
    F3();
    shown(3, 0);
    EXPECT_EQ(beeps, 1);
    // Shift+F3: the last match before the one shown.
    ShiftF3();
    shown(1, 4);
    ShiftF3();
    shown(1, 0);
    ShiftF3();
    shown(1, 0);
    EXPECT_EQ(beeps, 2);
    // The match shown scrolled out of view: F3 from the start of the top line.
    view->SetViewLineStart(2);
    F3();
    shown(3, 0);
    // Scrolled so that it is still on view (not at the top): from the match, not the top line.
    view->SetViewLineStart(1);
    ShiftF3();
    shown(1, 4);
    // Another selection: the match is no longer the one shown, F3 goes from the top line.
    view->SetSelStart(TDispPos{1, 1});
    view->SetSelEnd(TDispPos{2, 1});
    F3();
    shown(1, 0);
    // Shift+F3 with nothing shown: before the start of the top line.
    view->SetViewLineStart(2);
    view->SetSelStart(TDispPos{1, 2});
    view->SetSelEnd(TDispPos{1, 2});
    ShiftF3();
    shown(1, 4);
    // A new text with a match shown: from the top line's start again, inclusive.
    FindViaDialog(QStringLiteral("ABC"));
    shown(1, 0);
    EXPECT_EQ(beeps, 2);
    EXPECT_FALSE(dlg->isVisible());
}

TEST_F(FindTest, FindPreviousOnTheFirstLineBeepsAtOnce)
{
    Open("abc\r\nabc\r\n");
    FindViaDialog(QStringLiteral("abc"));
    ASSERT_EQ(Top(), 0);
    ShiftF3();
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(Top(), 0);
}

TEST_F(FindTest, WhatTheCharacterRuleFindsThroughTheDialog)
{
    struct Case {
        const char* name;
        QByteArray file;
        int wrapByte;
        QString find;
        bool matchCase;
        int top;  // -1: not found
    } cases[] = {
        {"abc finds ABC", "x\r\nABC\r\n", 0, QStringLiteral("abc"), false, 1},
        {"abc finds aBc", "x\r\naBc\r\n", 0, QStringLiteral("abc"), false, 1},
        {"abc does not find full-width ＡＢＣ", "x\r\n\x82\x60\x82\x61\x82\x62\r\n", 0, QStringLiteral("abc"), false,
         -1},
        {"with match-case abc does not find ABC", "x\r\nABC\r\n", 0, QStringLiteral("abc"), true, -1},
        {"a does not find the trail byte of ア", "x\r\n\x83\x41\r\n", 0, QStringLiteral("a"), false, -1},
        {"\\ does not find the trail byte of 表", "x\r\n\x95\x5c\r\n", 0, QStringLiteral("\\"), false, -1},
        {"\\ after 表", "x\r\n\x95\x5c\\\r\n", 0, QStringLiteral("\\"), false, 1},
        {"a Japanese text", "x\r\n\x93\xfa\x96\x7b\x8c\xea\r\n", 0, QStringLiteral("本語"), false, 1},
        {"split by the wrap: the row of its first byte", "x\r\nabcdefghij\r\n", 5, QStringLiteral("efg"), false, 1},
        {"split by the wrap: the next row", "x\r\nabcdefghij\r\n", 5, QStringLiteral("fgh"), false, 2},
        {"after a NUL", QByteArray("x\r\nab\0cd\r\n", 10), 0, QStringLiteral("cd"), false, 1},
        {"a character without a CP932 code", "x\r\n?\r\n", 0, QStringLiteral("ä"), false, -1},
        // Other encodings: the text is sought in the file's.
        {"UTF-8: a character Shift-JIS lacks", "x\r\n\xED\x95\x9C\xEA\xB8\x80 \xE6\x97\xA5\r\n", 0,
         QString::fromUtf8("한글"), false, 1},
        {"UTF-8: a Japanese text", "x\r\n\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\r\n", 0, QStringLiteral("本語"), false,
         1},
        {"EUC-JP: a Japanese text", "x\r\n\xC6\xFC\xCB\xDC\xB8\xEC\xA4\xCE\xA5\xC6\xA5\xAD\xA5\xB9\xA5\xC8\r\n", 0,
         QStringLiteral("本語"), false, 1},
        {"EUC-JP: a character it lacks", "x\r\n\xC6\xFC\xCB\xDC\xB8\xEC\xA4\xCE\xA5\xC6\xA5\xAD\xA5\xB9\xA5\xC8\r\n", 0,
         QString::fromUtf8("한"), false, -1},
        {"UTF-16: held as UTF-8", QByteArray("\xFF\xFEx\0\r\0\n\0\x2C\x67\x9E\x8A\r\0\n\0", 16), 0,
         QStringLiteral("本語"), false, 1},
    };
    for (const Case& c : cases) {
        Open(c.file);
        view->SetWrapByte(c.wrapByte);
        dlg->MatchCaseCB1->setChecked(c.matchCase);
        dlg->LastFindText.clear();
        beeps = 0;
        FindViaDialog(c.find);
        EXPECT_EQ(Top(), c.top < 0 ? 0 : c.top) << c.name;
        EXPECT_EQ(beeps, c.top < 0 ? 1 : 0) << c.name;
        // A match found is selected: copying gives exactly the text sought, in the file's case.
        if (c.top >= 0) {
            view->CopyToClipboard();
            const QString copied = QGuiApplication::clipboard()->text();
            EXPECT_EQ(copied.compare(c.find, c.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive), 0) << c.name;
        }
        view->SetWrapByte(0);
    }
}

TEST_F(FindTest, TheTextAndTheCaseSurviveClosingTheDialog)
{
    Open("ABC\r\nabc\r\n");
    dlg->MatchCaseCB1->setChecked(true);
    FindViaDialog(QStringLiteral("abc"));
    EXPECT_EQ(Top(), 1);
    InDialog([&] {
        EXPECT_EQ(dlg->Edit1->text(), QStringLiteral("abc"));
        EXPECT_EQ(dlg->Edit1->selectedText(), QStringLiteral("abc"));
        EXPECT_TRUE(dlg->MatchCaseCB1->isChecked());
        QTest::keyClick(dlg->Edit1, Qt::Key_Escape);
    });
    // Still matching case: ABC above is not found.
    ShiftF3();
    EXPECT_EQ(Top(), 1);
    EXPECT_EQ(beeps, 1);
}

TEST_F(FindTest, TheCommandsActOnlyWhileTheirItemsAreEnabled)
{
    // No file: Ctrl+F opens nothing. No find text: F3 and Shift+F3 do nothing, not even beep.
    bool opened = false;
    QTimer::singleShot(0, dlg, [&] {
        opened = dlg->isVisible();
        dlg->reject();
    });
    QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
    QTest::qWait(10);
    EXPECT_FALSE(opened);
    Open("abc\r\nabc\r\n");
    view->SetViewLineStart(1);
    F3();
    ShiftF3();
    EXPECT_EQ(Top(), 1);
    EXPECT_EQ(beeps, 0);
    form->Edit1Click();
    EXPECT_TRUE(form->Find1->isEnabled());
    EXPECT_FALSE(form->FindN1->isEnabled());
    EXPECT_FALSE(form->FindP1->isEnabled());
}

TEST_F(FindTest, TheTitleCarriesTheFindTextAcrossOpens)
{
    // No file shown yet; then a C-style path as a file name, and the example of the title rule.
    dlg->Edit1->setText(QStringLiteral("abc"));
    form->UpdateTitle();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Tavuko (検索\"abc\")"));
    const std::string c = WriteTestFile(dir, QStringLiteral("C:\\doc\\a.txt"), "x\r\n");
    form->OpenFile(c, false);
    form->UpdateTitle();
    EXPECT_EQ(form->windowTitle(),
              QFile::decodeName(QByteArray::fromStdString(c)) + QStringLiteral(" - Tavuko (検索\"abc\")"));
    EXPECT_TRUE(form->windowTitle().endsWith(QStringLiteral("/C:\\doc\\a.txt - Tavuko (検索\"abc\")")));

    Open("日本語\r\n", QStringLiteral("一.txt"));
    FindViaDialog(QStringLiteral("日本語 \"x\""));
    const QString name = QFile::decodeName(QByteArray::fromStdString(form->CurrentFileName()));
    EXPECT_EQ(form->windowTitle(), name + QStringLiteral(" - Tavuko (検索\"日本語 \"x\"\")"));
    Open("other\r\n", QStringLiteral("二.txt"));
    EXPECT_TRUE(form->windowTitle().endsWith(QStringLiteral("/二.txt - Tavuko (検索\"日本語 \"x\"\")")));
    // An emptied find text drops the suffix when the dialog closes.
    InDialog([&] {
        dlg->Edit1->clear();
        QTest::keyClick(dlg->Edit1, Qt::Key_Escape);
    });
    EXPECT_TRUE(form->windowTitle().endsWith(QStringLiteral("/二.txt - Tavuko")));
}

TEST_F(FindTest, ALongSearchShowsTheBusyCursorAndKeepsTheWindowPainted)
{
    QByteArray text;
    while (text.size() < 1500 * 1000) text += "a line of text without the word\r\n";
    text += "needle\r\n";
    Open(text);
    // Every look at the clock takes 200 ms; past 500 ms the view is asked to repaint.
    int64_t now = 0;
    struct Look {
        int64_t at;
        bool busy;
        long long paints;
    };
    std::vector<Look> looks;
    dlg->ClockFn = [&] {
        const QCursor* c = QApplication::overrideCursor();
        looks.push_back({now, c && c->shape() == Qt::WaitCursor, view->PaintCalls()});
        if (now > 500) view->update();
        return now += 200;
    };
    dlg->Edit1->setText(QStringLiteral("needle"));
    F3();
    const int last = view->GetCount() - 1;
    EXPECT_EQ(Top(), last);
    // The search started at 200 ms; the looks at 400 and 600 ms are within its first half second.
    ASSERT_GE(looks.size(), 6u);
    EXPECT_FALSE(looks[2].busy || looks[3].busy);
    EXPECT_TRUE(looks[4].busy && looks[5].busy);
    EXPECT_GT(looks[5].paints, looks[3].paints);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // A search that ends quickly never shows it.
    looks.clear();
    now = 0;
    dlg->ClockFn = [&] {
        looks.push_back({now, QApplication::overrideCursor() != nullptr, 0});
        return now += 1;
    };
    ShiftF3();
    EXPECT_EQ(Top(), last);
    EXPECT_EQ(beeps, 1);
    EXPECT_GT(looks.size(), 3u);
    for (const Look& l : looks) EXPECT_FALSE(l.busy);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // What arrives while it runs (here another program's open request) waits for its end.
    const std::string other = Write("other.txt", "just one line\r\n");
    now = 0;
    int linesDuring = -1;
    dlg->ClockFn = [&] {
        if (now == 600) QTimer::singleShot(0, form.get(), [&] { form->OpenFile(other, true); });
        if (now == 1000) linesDuring = view->GetCountOrg();
        return now += 200;
    };
    const int lines = view->GetCountOrg();
    view->SetViewLineStart(0);
    dlg->LastFindText.clear();
    F3();
    EXPECT_EQ(linesDuring, lines);
    EXPECT_EQ(Top(), last);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(view->GetCountOrg(), 1);
}
