// Keys and wheel at the main window, sent as a user's keys arrive: the menu's shortcuts first,
// then the window's key map before the view.
#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QScrollBar>
#include <QStyleHints>
#include <QTest>
#include <QTimer>
#include <QLineEdit>
#include <QWheelEvent>
#include <memory>
#include <string>
#include <vector>

#include "app/MailLink.h"
#include "app/MainForm.h"
#include "bigview/Bigview.h"
#include "dialogs/FindDlg.h"
#include "platform/DdeConversation.h"
#include "support/KeyInput.h"
#include "support/MainFormFixture.h"

namespace {

class KeysTest : public TFormFixture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        UseOwnConfig();
        view = MakeForm();
        form->Settings.EditorName = QStringLiteral("editor");
        form->StartProgramFn = [this](const std::string& program, const std::vector<std::string>&) {
            started.push_back(program);
            return true;
        };
        ASSERT_NO_FATAL_FAILURE(ShowActive());
        ASSERT_EQ(QApplication::focusWidget(), view);
        ASSERT_EQ(view->ViewLines(), 30);  // the design client area: 394 / 13 px rows
    }
    // A file of count short lines "line 0" ... in the test's directory, opened as a user does.
    std::string Lines(int count, const QString& name = QStringLiteral("lines.txt"))
    {
        QByteArray bytes;
        for (int i = 0; i < count; ++i) bytes += "line " + QByteArray::number(i) + "\r\n";
        return Write(name, bytes);
    }
    int Top() const { return view->ViewLineStart(); }

    // A wheel turn over a widget of the window; returns whether it was marked handled.
    bool Wheel(QWidget* over, int delta)
    {
        const QPointF at(over->width() / 2.0, over->height() / 2.0);
        QWheelEvent e(at, over->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
        e.setAccepted(false);
        QApplication::sendEvent(over, &e);
        return e.isAccepted();
    }

    TBigView* view = nullptr;
    std::vector<std::string> started;  // the programs started (the editor)
};

TEST_F(KeysTest, PageDownNearTheEndWithAndWithoutAWholeLastPage)
{
    Open(Lines(100));
    ASSERT_EQ(view->GetCount(), 100);
    for (Qt::Key key : {Qt::Key_PageDown, Qt::Key_Space, Qt::Key_F, Qt::Key_Z, Qt::Key_Period}) {
        form->Settings.Last1PageScroll = false;
        view->SetViewLineStart(60);
        PressKey(key);
        EXPECT_EQ(Top(), 70) << key;
        form->Settings.Last1PageScroll = true;
        view->SetViewLineStart(60);
        PressKey(key);
        EXPECT_EQ(Top(), 90) << key;
        PressKey(key);
        EXPECT_EQ(Top(), 90) << key;
    }
    // Page up from the whole last page goes back a page; End puts the last line in the last row.
    PressKey(Qt::Key_PageUp);
    EXPECT_EQ(Top(), 60);
    PressKey(Qt::Key_End);
    EXPECT_EQ(Top(), 70);
    PressKey(Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(Top(), 0);
}

TEST_F(KeysTest, AnEmptyViewStaysAtTheTopForEveryMove)
{
    for (Qt::Key key : {Qt::Key_PageDown, Qt::Key_PageUp, Qt::Key_Space, Qt::Key_End, Qt::Key_Home, Qt::Key_Down,
                        Qt::Key_Up, Qt::Key_J, Qt::Key_G, Qt::Key_Return}) {
        for (auto mods : {Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier}) {
            PressKey(key, mods);
            EXPECT_EQ(Top(), 0) << key;
            EXPECT_EQ(view->ViewLineEnd(), 0) << key;
        }
    }
    form->Settings.SmoothScroll = form->Settings.Last1PageScroll = true;
    PressKey(Qt::Key_PageDown);
    PressKey(Qt::Key_PageUp);
    EXPECT_EQ(Top(), 0);
}

TEST_F(KeysTest, LineKeysMoveOneOrFiveAndCtrlPages)
{
    form->Settings.ExitEnterKey = false;  // Enter moves a line instead of closing the window
    Open(Lines(300));
    struct Step {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        int top;
    };
    const Step steps[] = {
        {Qt::Key_Down, Qt::NoModifier, 1},
        {Qt::Key_J, Qt::NoModifier, 2},
        {Qt::Key_Return, Qt::NoModifier, 3},
        {Qt::Key_X, Qt::NoModifier, 4},
        {Qt::Key_Down, Qt::ShiftModifier, 9},
        {Qt::Key_Down, Qt::ShiftModifier | Qt::ControlModifier, 14},
        {Qt::Key_Down, Qt::ControlModifier, 44},
        {Qt::Key_N, Qt::ControlModifier, 45},
        {Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier, 50},
        {Qt::Key_Up, Qt::ShiftModifier | Qt::ControlModifier, 45},  // Shift+Up moves 5 with Ctrl held
        {Qt::Key_Up, Qt::ShiftModifier, 40},
        {Qt::Key_K, Qt::NoModifier, 39},
        {Qt::Key_E, Qt::ShiftModifier, 34},
        {Qt::Key_P, Qt::ControlModifier, 33},
        {Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier, 28},
        {Qt::Key_Up, Qt::ControlModifier, 0},
        {Qt::Key_G, Qt::ShiftModifier, 270},
        {Qt::Key_P, Qt::NoModifier, 0},
        {Qt::Key_Home, Qt::ShiftModifier, 270},
        {Qt::Key_Home, Qt::NoModifier, 0},
        {Qt::Key_Space, Qt::NoModifier, 30},
        {Qt::Key_Space, Qt::ShiftModifier, 0},
        {Qt::Key_B, Qt::NoModifier, 0},
        {Qt::Key_W, Qt::ShiftModifier, 0},
    };
    for (const Step& s : steps) {
        PressKey(s.key, s.mods);
        EXPECT_EQ(Top(), s.top) << "key " << s.key << " mods " << s.mods;
    }
}

// The comma and period keys are the same keys with Shift, which makes them type < and >.
TEST_F(KeysTest, ShiftDoesNotTurnCommaAndPeriodIntoOtherKeys)
{
    Open(Lines(300));
    constexpr quint32 AB08 = 59, AB09 = 60;  // XKB key codes of , and .
    PressKey(Qt::Key_Period, Qt::NoModifier, AB09);
    EXPECT_EQ(Top(), 30);
    PressKey(Qt::Key_Greater, Qt::ShiftModifier, AB09);
    EXPECT_EQ(Top(), 270);
    PressKey(Qt::Key_Comma, Qt::NoModifier, AB08);
    EXPECT_EQ(Top(), 240);
    PressKey(Qt::Key_Less, Qt::ShiftModifier, AB08);
    EXPECT_EQ(Top(), 0);
}

TEST_F(KeysTest, CtrlFIsTheFindShortcutAndNeverPagesDown)
{
    // No file yet: Find disabled, and the shortcut still belongs to the menu.
    PressKey(Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(Top(), 0);
    EXPECT_FALSE(form->Find1->isEnabled());
    form->OpenFile(Lines(300), false);  // Find enabled by the Edit menu's update before the shortcut
    PressKey(Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(Top(), 0);
    EXPECT_TRUE(form->Find1->isEnabled());
    // Ctrl+Shift+F is no shortcut: F with any modifiers pages down.
    PressKey(Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Top(), 30);
    PressKey(Qt::Key_F);
    EXPECT_EQ(Top(), 60);
}

TEST_F(KeysTest, CcrScrollMakesCAndRPageAndMovesCopyToShiftF8)
{
    Open(Lines(300));
    PressKey(Qt::Key_C);
    EXPECT_EQ(Top(), 0);
    PressKey(Qt::Key_C, Qt::ControlModifier);  // the Copy shortcut, disabled without a selection
    EXPECT_EQ(Top(), 0);

    form->Settings.CcrScroll = true;
    form->Copy1->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F8));  // what the settings dialog does
    PressKey(Qt::Key_C);
    EXPECT_EQ(Top(), 30);
    PressKey(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Top(), 60);
    PressKey(Qt::Key_R, Qt::ShiftModifier);
    EXPECT_EQ(Top(), 30);
    view->SetSelStart(TPoint{1, 30});
    view->SetSelEnd(TPoint{5, 30});
    QApplication::clipboard()->setText(QStringLiteral("before"));
    PressKey(Qt::Key_F8, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("line"));
}

TEST_F(KeysTest, RReloadsOnlyWithoutCcrScrollAndCtrlLAlways)
{
    const std::string name = Write(QStringLiteral("r.txt"), "old\r\n");
    Open(name);
    Write(QStringLiteral("r.txt"), "new\r\n");
    PressKey(Qt::Key_R);
    EXPECT_EQ(FirstLine(), "new");

    form->Settings.CcrScroll = true;
    Write(QStringLiteral("r.txt"), "newer\r\n");
    PressKey(Qt::Key_R);
    EXPECT_EQ(FirstLine(), "new");
    PressKey(Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(FirstLine(), "newer");
    form->Settings.CcrScroll = false;
    Write(QStringLiteral("r.txt"), "newest\r\n");
    PressKey(Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(FirstLine(), "newest");
    PressKey(Qt::Key_L);  // unlinked: nothing
    EXPECT_EQ(form->CurrentFileName(), name);
    EXPECT_EQ(form->History.Count(), 1);  // reloading never changes the history
}

TEST_F(KeysTest, CtrlBracketClosesTheWindowAndDoesNothingElse)
{
    Open(Lines(50));
    constexpr quint32 AD11 = 34;  // the US [ key
    PressKey(Qt::Key_BracketLeft, Qt::ControlModifier, AD11);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(view->GetCountOrg(), 0);  // Exit empties the view first
}

TEST_F(KeysTest, EscapeAndQExitEnterClosesOnlyWithExitEnterKey)
{
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        bool exitEnterKey;
        bool closes, empties;
    };
    const Case cases[] = {
        {Qt::Key_Escape, Qt::NoModifier, false, true, true},
        {Qt::Key_Q, Qt::ShiftModifier, false, true, true},
        {Qt::Key_Return, Qt::NoModifier, true, true, false},
        {Qt::Key_Enter, Qt::KeypadModifier, true, true, false},
        {Qt::Key_Return, Qt::NoModifier, false, false, false},
        {Qt::Key_Return, Qt::ShiftModifier, true, false, false},  // the editor instead
        {Qt::Key_Escape, Qt::AltModifier, false, false, false},
    };
    // Shift+Enter and V start the editor, whatever ExitEnterKey is.
    Open(Lines(50));
    for (bool exitEnterKey : {false, true}) {
        form->Settings.ExitEnterKey = exitEnterKey;
        PressKey(Qt::Key_Return, Qt::ShiftModifier);
        PressKey(Qt::Key_V);
    }
    EXPECT_EQ(started.size(), 4u);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(messages.empty());
    const std::string name = Lines(50);
    for (const Case& c : cases) {
        Open(name);
        form->Settings.ExitEnterKey = c.exitEnterKey;
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        view->setFocus();
        PressKey(c.key, c.mods);
        EXPECT_EQ(!form->isVisible(), c.closes) << c.key;
        EXPECT_EQ(view->GetCountOrg() == 0, c.empties) << c.key;
    }
    EXPECT_EQ(started.size(), 5u);
}

TEST_F(KeysTest, DigitsSetTheTabWidthAtOnceAlsoWithASelectionAndScrolled)
{
    QByteArray text;
    for (int i = 0; i < 200; ++i) text += "a\tb\tc " + QByteArray::number(i) + "\r\n";
    Open(Write(QStringLiteral("tabs.txt"), text));
    ASSERT_EQ(view->ViewTabStop(), 8);
    view->SetViewLineStart(120);
    view->SetSelStart(TPoint{1, 125});
    view->SetSelEnd(TPoint{4, 140});
    const long long paintsBefore = view->PaintCalls();
    for (int d = 1; d <= 8; ++d) {
        constexpr quint32 AE01 = 10;
        PressKey(Qt::Key(Qt::Key_0 + d), Qt::NoModifier, AE01 + quint32(d - 1));
        EXPECT_EQ(view->ViewTabStop(), d);
    }
    EXPECT_GT(view->PaintCalls(), paintsBefore);
    EXPECT_EQ(Top(), 120);
    // Shift makes the digit keys type other characters; they are the same keys.
    PressKey(Qt::Key_NumberSign, Qt::ShiftModifier, 12);
    EXPECT_EQ(view->ViewTabStop(), 3);
    // 0, 9 and the keypad's digits are other keys.
    PressKey(Qt::Key_0, Qt::NoModifier, 19);
    PressKey(Qt::Key_9, Qt::NoModifier, 18);
    PressKey(Qt::Key_5, Qt::KeypadModifier, 84);
    EXPECT_EQ(view->ViewTabStop(), 3);
    // The next open resets it from the extension.
    form->Reload1Click();
    EXPECT_EQ(view->ViewTabStop(), 8);
}

TEST_F(KeysTest, ASmoothPageIsPaintedStepByStep)
{
    Open(Lines(81));
    view->SetViewLineStart(29);  // 22 lines below the window: the worked example
    form->Settings.SmoothScroll = true;
    std::vector<int> tops;
    std::vector<long long> paints;
    view->OnViewLineChanged = [&](TBigView*) {
        tops.push_back(Top());
        paints.push_back(view->PaintCalls());
    };
    const long long before = view->PaintCalls();
    PressKey(Qt::Key_PageDown);
    EXPECT_EQ(tops, std::vector<int>({34, 39, 44, 49, 51}));
    // Each step reached the window before the next one began.
    ASSERT_EQ(paints.size(), 5u);
    for (size_t i = 0; i < paints.size(); ++i) EXPECT_EQ(paints[i], before + static_cast<long long>(i) + 1) << i;
}

TEST_F(KeysTest, TheWheelMovesWheelLinesPerNotchOrPagesAndIsAlwaysHandled)
{
    Open(Lines(300));
    form->WheelLines = 3;
    EXPECT_TRUE(Wheel(view, -120));
    EXPECT_EQ(Top(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(Wheel(view, -40));  // a touchpad's small deltas
    EXPECT_EQ(Top(), 6);
    EXPECT_TRUE(Wheel(view, 120));
    EXPECT_EQ(Top(), 3);
    // Over the scroll bar the window moves the view, not the bar by its own step.
    EXPECT_TRUE(Wheel(view->VScrollBar(), -240));
    EXPECT_EQ(Top(), 9);
    form->WheelLines = -1;
    EXPECT_TRUE(Wheel(view, -120));
    EXPECT_EQ(Top(), 39);
    EXPECT_TRUE(Wheel(view, 120));
    EXPECT_EQ(Top(), 9);
    form->WheelLines = 0;
    const long long paints = view->PaintCalls();
    EXPECT_TRUE(Wheel(view, -120));
    EXPECT_EQ(Top(), 9);
    EXPECT_EQ(view->PaintCalls(), paints);
}

TEST_F(KeysTest, EachActivationReadsTheWheelLinesFromTheStoreElseFromTheDesktop)
{
    const int desktop = QGuiApplication::styleHints()->wheelScrollLines();
    ASSERT_GT(desktop, 0);
    QDir().mkpath(dir.filePath(QStringLiteral("config/tavuko")));
    const QByteArray head = "Windows Registry Editor Version 5.00\n\n";
    const QByteArray key = "[HKEY_CURRENT_USER\\Control Panel\\desktop]\n";
    struct Case {
        QByteArray store;  // the store file; empty for none
        int lines;
    };
    const Case cases[] = {
        {"", desktop},
        {head + key + "\"WheelScrollLines\"=\"-1\"\n", -1},
        {head + key + "\"WheelScrollLines\"=\"0\"\n", 0},
        {head + key + "\"WheelScrollLines\"=\"7\"\n", 7},
        {head + key + "\"wheelscrolllines\"=\"+12\"\n", 12},
        {head + key + "\"WheelScrollLines\"=\"three\"\n", desktop},
        {head + key + "\"WheelScrollLines\"=\"\"\n", desktop},
        {head + key + "\"WheelScrollLines\"=\"99999999999\"\n", desktop},
        {head + key + "\"WheelScrollLines\"=dword:00000005\n", desktop},  // no text
        {head + key + "\"Other\"=\"5\"\n", desktop},
        {head + "[HKEY_CURRENT_USER\\Control Panel]\n\"WheelScrollLines\"=\"5\"\n", desktop},
    };
    const QString store = dir.filePath(QStringLiteral("config/tavuko/user.reg"));
    for (const Case& c : cases) {
        QFile::remove(store);
        if (!c.store.isEmpty()) Write(QStringLiteral("config/tavuko/user.reg"), c.store);
        form->WheelLines = 1000;
        emit qApp->applicationStateChanged(Qt::ApplicationInactive);
        EXPECT_EQ(form->WheelLines, 1000);
        emit qApp->applicationStateChanged(Qt::ApplicationActive);
        EXPECT_EQ(form->WheelLines, c.lines) << c.store.toStdString();
    }
    // -1: a page per notch; 0: the wheel does nothing.
    Open(Lines(300));
    Write(QStringLiteral("config/tavuko/user.reg"), head + key + "\"WheelScrollLines\"=\"-1\"\n");
    emit qApp->applicationStateChanged(Qt::ApplicationActive);
    EXPECT_TRUE(Wheel(view, -120));
    EXPECT_EQ(Top(), 30);
    Write(QStringLiteral("config/tavuko/user.reg"), head + key + "\"WheelScrollLines\"=\"0\"\n");
    emit qApp->applicationStateChanged(Qt::ApplicationActive);
    EXPECT_TRUE(Wheel(view, -120));
    EXPECT_EQ(Top(), 30);
}

// A conversation with the mail client that records the requests sent.
struct TRecordedConv : TDdeClientConv {
    std::shared_ptr<std::vector<std::string>> sent = std::make_shared<std::vector<std::string>>();
    bool OpenLink() override { return true; }
    void CloseLink() override {}
    bool ExecuteMacro(const std::string& macro) override
    {
        sent->push_back(macro);
        return true;
    }
};

TEST_F(KeysTest, WhileLinkedPagingPastAnEndAndTheStepKeysStepTheMailClient)
{
    auto conv = std::make_unique<TRecordedConv>();
    const auto sent = conv->sent;
    form->MailLink = TMailLink(std::move(conv), [](const std::string&, const std::string&) { return true; });
    ASSERT_EQ(form->MailLink.Toggle(), TMailLink::TToggle::Linked);
    const std::string next = TMailLink::NextRequest, prev = TMailLink::PrevRequest;
    using Sent = std::vector<std::string>;
    constexpr quint32 AB11 = 97;  // the Japanese ろ key

    struct Step {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        quint32 scanCode;
        Sent sent;
    };
    // An empty view is at both ends at once.
    const Step empty[] = {
        {Qt::Key_PageDown, Qt::NoModifier, 0, {next}},   {Qt::Key_Space, Qt::NoModifier, 0, {next}},
        {Qt::Key_PageUp, Qt::NoModifier, 0, {prev}},     {Qt::Key_Space, Qt::ShiftModifier, 0, {prev}},
        {Qt::Key_Left, Qt::NoModifier, 0, {prev}},       {Qt::Key_H, Qt::ShiftModifier, 0, {prev}},
        {Qt::Key_Right, Qt::ControlModifier, 0, {next}}, {Qt::Key_L, Qt::NoModifier, 0, {next}},
        {Qt::Key_Left, Qt::AltModifier, 0, {}},          {Qt::Key_Down, Qt::NoModifier, 0, {}},
        {Qt::Key_Backslash, Qt::NoModifier, AB11, {}},
    };
    for (const Step& s : empty) {
        sent->clear();
        PressKey(s.key, s.mods, s.scanCode);
        EXPECT_EQ(*sent, s.sent) << s.key << " " << s.mods;
    }
    // Page Down at the end moves nothing and sends once per press; inside the text, nothing.
    Open(Lines(100));
    form->Settings.Last1PageScroll = true;
    view->SetViewLineStart(60);
    sent->clear();
    PressKey(Qt::Key_PageDown);
    EXPECT_TRUE(sent->empty());
    PressKey(Qt::Key_PageDown);
    PressKey(Qt::Key_PageDown);
    EXPECT_EQ(*sent, Sent({next, next}));
    EXPECT_EQ(Top(), 90);
    form->Settings.SmoothScroll = true;
    PressKey(Qt::Key_PageDown);
    EXPECT_EQ(sent->size(), 3u);
    // Shift with the ろ key unlinks (and says so).
    PressKey(Qt::Key_Underscore, Qt::ShiftModifier, AB11);
    EXPECT_FALSE(form->MailLinked());
    EXPECT_EQ(Texts(), QStringList({QStringLiteral("電信八号とのリンクを切り離しました。")}));
    sent->clear();
    PressKey(Qt::Key_PageDown);
    EXPECT_TRUE(sent->empty());
}

TEST_F(KeysTest, TheFindKeysBringTheEditMenuUpToDateAndFindOnlyWithASearchText)
{
    auto* dlg = new TFindDlg(form.get(), view);
    form->SetFindDlg(dlg);
    int beeps = 0;
    dlg->BeepFn = [&] { ++beeps; };
    Open(Lines(300));
    PressKey(Qt::Key_N);  // no search text: Find next stays disabled and does nothing
    EXPECT_FALSE(form->FindN1->isEnabled());
    EXPECT_EQ(Top(), 0);

    dlg->Edit1->setText(QStringLiteral("line 15"));
    struct Step {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        quint32 scanCode;
        int top;
    };
    constexpr quint32 AD11 = 34, AD12 = 35, AC12 = 51;  // [ and ] of the US layout, ] of the Japanese
    const Step steps[] = {
        {Qt::Key_N, Qt::NoModifier, 0, 15},
        {Qt::Key_BracketRight, Qt::NoModifier, AD12, 150},
        {Qt::Key_BracketLeft, Qt::NoModifier, AD11, 15},
        {Qt::Key_BracketRight, Qt::ShiftModifier, AC12, 150},  // the Japanese ] key
        {Qt::Key_N, Qt::ShiftModifier, 0, 15},
        {Qt::Key_BracketLeft, Qt::ShiftModifier, AD11, 15},  // nothing before: a beep
    };
    for (const Step& s : steps) {
        PressKey(s.key, s.mods, s.scanCode);
        EXPECT_EQ(Top(), s.top) << s.key;
    }
    EXPECT_EQ(beeps, 1);

    // The dialog's keys, the Japanese ^ key among them, open it (here closed again at once).
    constexpr quint32 AE12 = 21, AB10 = 61;
    const Step openers[] = {
        {Qt::Key_Slash, Qt::NoModifier, AB10, 0},       {Qt::Key_Question, Qt::ShiftModifier, AB10, 0},
        {Qt::Key_AsciiCircum, Qt::NoModifier, AE12, 0}, {Qt::Key_AsciiTilde, Qt::ShiftModifier, AE12, 0},
        {Qt::Key_Apostrophe, Qt::NoModifier, 48, 0},    {Qt::Key_F6, Qt::NoModifier, 0, 0},
        {Qt::Key_S, Qt::ControlModifier, 0, 0},
    };
    for (const Step& s : openers) {
        bool shown = false;
        QTimer::singleShot(0, dlg, [&] {
            shown = dlg->isVisible();
            dlg->reject();
        });
        PressKey(s.key, s.mods, s.scanCode);
        EXPECT_TRUE(shown) << s.key;
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        view->setFocus();
    }
}

// ---- history ----

class HistoryKeysTest : public KeysTest {
protected:
    std::string File(const char* name) { return Write(QString::fromLatin1(name), QByteArray(name) + "\r\n"); }
    // The captions of the Go menu's shown entries and the index of the checked one (-1: none).
    QStringList Items() const
    {
        QStringList shown;
        for (QAction* a : form->HistP)
            if (a->isVisible()) shown << a->text();
        return shown;
    }
    int Checked() const
    {
        int checked = -1;
        for (int i = 0; i < 10; ++i)
            if (form->HistP[i]->isChecked()) {
                EXPECT_EQ(checked, -1) << "two items checked";
                checked = i;
            }
        return checked;
    }
    QString Item(int n, const std::string& name) const
    {
        return QStringLiteral("&%1 ").arg(n % 10) + QFile::decodeName(QByteArray::fromStdString(name));
    }
};

TEST_F(HistoryKeysTest, OpenABCThenBackThenD)
{
    EXPECT_FALSE(form->N5->isVisible());
    EXPECT_TRUE(Items().isEmpty());
    const std::string a = File("A.txt"), b = File("B.txt"), c = File("C.txt"), d = File("D.txt");
    Open(a);
    EXPECT_TRUE(form->N5->isVisible());
    EXPECT_FALSE(form->Back1->isEnabled());
    Open(b);
    Open(c);
    EXPECT_EQ(Items(), QStringList({Item(1, c), Item(2, b), Item(3, a)}));
    EXPECT_EQ(Checked(), 0);
    EXPECT_TRUE(form->Back1->isEnabled());
    EXPECT_FALSE(form->Forward1->isEnabled());
    form->PopupMenu1Popup();
    EXPECT_TRUE(form->BackP1->isEnabled());
    EXPECT_FALSE(form->ForwardP1->isEnabled());

    PressKey(Qt::Key_Backspace);
    EXPECT_EQ(FirstLine(), "B.txt");
    EXPECT_EQ(form->CurrentFileName(), b);
    EXPECT_EQ(Checked(), 1);
    EXPECT_TRUE(form->Back1->isEnabled());
    EXPECT_TRUE(form->Forward1->isEnabled());
    form->PopupMenu1Popup();
    EXPECT_TRUE(form->ForwardP1->isEnabled());

    Open(d);
    EXPECT_EQ(Items(), QStringList({Item(1, d), Item(2, b), Item(3, a)}));
    EXPECT_EQ(Checked(), 0);
    EXPECT_FALSE(form->HistP[3]->isVisible());
    EXPECT_FALSE(form->Forward1->isEnabled());
}

TEST_F(HistoryKeysTest, BackAndForwardByEveryKeyAndOnlyWhenEnabled)
{
    const std::string a = File("a.txt"), b = File("b.txt"), c = File("c.txt");
    Open(a);
    Open(b);
    Open(c);
    struct Step {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        const char* shown;
        int checked;
    };
    const Step steps[] = {
        {Qt::Key_Left, Qt::AltModifier, "b.txt", 1},
        {Qt::Key_Backspace, Qt::ControlModifier, "a.txt", 2},
        {Qt::Key_Backspace, Qt::NoModifier, "a.txt", 2},  // Back disabled at the oldest
        {Qt::Key_Left, Qt::AltModifier, "a.txt", 2},
        {Qt::Key_Right, Qt::AltModifier, "b.txt", 1},
        {Qt::Key_Backspace, Qt::ShiftModifier, "c.txt", 0},
        {Qt::Key_Right, Qt::AltModifier, "c.txt", 0},  // Forward disabled at the newest
        {Qt::Key_Left, Qt::NoModifier, "c.txt", 0},    // Left alone: only with the mail link
    };
    for (const Step& s : steps) {
        PressKey(s.key, s.mods);
        EXPECT_EQ(FirstLine(), s.shown) << s.key << " " << s.mods;
        EXPECT_EQ(Checked(), s.checked) << s.key << " " << s.mods;
    }
    EXPECT_EQ(form->History.Count(), 3);
}

TEST_F(HistoryKeysTest, TheGoMenuShowsTenEntriesTheTenthAsZero)
{
    std::vector<std::string> names;
    for (int i = 0; i < 12; ++i) names.push_back(File(("f" + std::to_string(i) + ".txt").c_str()));
    for (const std::string& n : names) Open(n);
    const QStringList items = Items();
    ASSERT_EQ(items.size(), 10);
    EXPECT_EQ(items[0], Item(1, names[11]));
    EXPECT_EQ(items[8], Item(9, names[3]));
    EXPECT_EQ(items[9], QStringLiteral("&0 ") + QFile::decodeName(QByteArray::fromStdString(names[2])));
    // Choosing an item shows its file and moves the mark; the history stays.
    form->HistP[6]->trigger();
    EXPECT_EQ(form->CurrentFileName(), names[5]);
    EXPECT_EQ(Checked(), 6);
    EXPECT_EQ(form->History.Count(), 12);
    // The current one chosen again reloads it.
    Write(QStringLiteral("f5.txt"), "again\r\n");
    form->HistP[6]->trigger();
    EXPECT_EQ(FirstLine(), "again");
    EXPECT_EQ(Checked(), 6);
    // A name with & shows it.
    Open(File("a&b.txt"));
    EXPECT_EQ(form->HistP[0]->text(), QStringLiteral("&1 ") + dir.filePath(QStringLiteral("a&&b.txt")));
    // A Shift-JIS name shows as the title shows it.
    const std::string sjis =
        QFile::encodeName(dir.path()).toStdString() + "/\x83\x65\x83\x58\x83\x67.txt";  // テスト.txt
    {
        std::ofstream(sjis) << "x\r\n";
    }
    Open(sjis);
    EXPECT_EQ(form->HistP[0]->text(), QStringLiteral("&1 ") + dir.filePath(QStringLiteral("テスト.txt")));
    unlink(sjis.c_str());  // QTemporaryDir cannot remove what Qt cannot list
    // Two Shift-JIS names that are no UTF-8, あ.txt then い.txt: two entries, the one shown checked.
    const std::string a = QFile::encodeName(dir.path()).toStdString() + "/\x82\xa0.txt";
    const std::string i = QFile::encodeName(dir.path()).toStdString() + "/\x82\xa2.txt";
    {
        std::ofstream(a) << "a\r\n";
    }
    {
        std::ofstream(i) << "i\r\n";
    }
    Open(a);
    Open(i);
    EXPECT_EQ(FirstLine(), "i");
    EXPECT_EQ(form->HistP[0]->text(), QStringLiteral("&1 ") + dir.filePath(QStringLiteral("い.txt")));
    EXPECT_EQ(form->HistP[1]->text(), QStringLiteral("&2 ") + dir.filePath(QStringLiteral("あ.txt")));
    EXPECT_EQ(Checked(), 0);
    unlink(a.c_str());
    unlink(i.c_str());
}

TEST_F(HistoryKeysTest, ThirtyFilesAndBackTwentyNineTimesReachTheFirst)
{
    std::vector<std::string> names;
    for (int i = 0; i < 30; ++i) names.push_back(File(("n" + std::to_string(i) + ".txt").c_str()));
    for (const std::string& n : names) Open(n);
    for (int i = 0; i < 29; ++i) {
        ASSERT_TRUE(form->Back1->isEnabled()) << i;
        PressKey(Qt::Key_Backspace);
        EXPECT_EQ(Checked(), i + 1 < 10 ? i + 1 : -1) << i;  // entries past the tenth have no item
    }
    EXPECT_EQ(form->CurrentFileName(), names[0]);
    EXPECT_EQ(FirstLine(), "n0.txt");
    EXPECT_FALSE(form->Back1->isEnabled());
    // Forward from there comes back into the menu's items.
    for (int i = 0; i < 20; ++i) PressKey(Qt::Key_Backspace, Qt::ShiftModifier);
    EXPECT_EQ(form->CurrentFileName(), names[20]);
    EXPECT_EQ(Checked(), 9);
}

TEST_F(HistoryKeysTest, TheFileShownNowOpenedAgainChangesNothingAlsoInAnotherCase)
{
    const std::string a = File("a.txt"), b = File("Same.txt");
    Open(a);
    Open(b);
    const QStringList before = Items();
    QString other = QFile::decodeName(QByteArray::fromStdString(b));
    other.replace(QStringLiteral("Same.txt"), QStringLiteral("SAME.TXT"));
    Open(QFile::encodeName(other).toStdString());
    EXPECT_EQ(Items(), before);
    EXPECT_EQ(form->History.Count(), 2);
    PressKey(Qt::Key_F5);  // reload
    EXPECT_EQ(form->History.Count(), 2);
    // Also when the file shown is not the newest: the mark stays on its entry.
    PressKey(Qt::Key_Backspace);
    ASSERT_EQ(Checked(), 1);
    Open(a);
    EXPECT_EQ(Checked(), 1);
    EXPECT_EQ(Items(), before);
    EXPECT_TRUE(form->Forward1->isEnabled());
}

TEST_F(HistoryKeysTest, BackToADeletedFileSaysSoAndStaysWhereItWas)
{
    const std::string a = File("a.txt"), b = File("b.txt");
    Open(a);
    Open(b);
    ASSERT_TRUE(QFile::remove(QFile::decodeName(QByteArray::fromStdString(a))));
    messages.clear();
    form->Back1->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.contains(QStringLiteral("ファイルが見つかりません。")));
    EXPECT_EQ(FirstLine(), "b.txt");
    EXPECT_EQ(form->windowTitle(), QFile::decodeName(QByteArray::fromStdString(b)) + " - Tavuko");
    EXPECT_EQ(Checked(), 0);
    EXPECT_TRUE(form->Back1->isEnabled());
    EXPECT_FALSE(form->Forward1->isEnabled());
}

}  // namespace
