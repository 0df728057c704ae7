// Help and the readme: the help window at its contents with its links, Back and Forward; F1 in
// the main window; the help file naming every command; the readme command with and without
// its file.
#include <gtest/gtest.h>

#include <QAction>
#include <QAbstractButton>
#include <QPushButton>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <ostream>

#include "app/MainForm.h"
#include "bigview/Bigview.h"
#include "dialogs/HelpWindow.h"
#include "dialogs/SettingDlg.h"
#include "support/MainFormFixture.h"

void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

QString SourceHelpFile()
{
    return qEnvironmentVariable("TAVUKO_SOURCE_DIR") + QStringLiteral("/resources/TAVUKO.HTML");
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

bool Activate(QWidget* w)
{
    w->show();
    QApplication::setActiveWindow(w);
    return QTest::qWaitForWindowActive(w);
}

// The anchors a document defines and the in-page links it holds, as Qt has read them.
struct Links {
    QSet<QString> names;
    QStringList hrefs;
};
Links LinksOf(const QTextDocument& doc)
{
    Links l;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            if (!f.isAnchor()) continue;
            for (const QString& n : f.anchorNames()) l.names.insert(n);
            if (!f.anchorHref().isEmpty()) l.hrefs << f.anchorHref();
        }
    return l;
}

TEST(HelpWindow, OpensAtItsContentsAndFollowsItsLinksByKeyboard)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // The contents lie below a long preface, so that opening "at the contents" is seen in the scroll.
    QByteArray html = "<html><body><h1>Title</h1>";
    for (int i = 0; i < 80; ++i) html += "<p>preface " + QByteArray::number(i) + "</p>";
    html += "<h2><a name=\"contents\">Contents</a></h2><p><a href=\"#second\">to the second</a></p>";
    for (int i = 0; i < 80; ++i) html += "<p>body " + QByteArray::number(i) + "</p>";
    html += "<h2><a name=\"second\">Second</a></h2>";
    for (int i = 0; i < 80; ++i) html += "<p>tail " + QByteArray::number(i) + "</p>";
    html += "</body></html>";
    const QString file = dir.filePath(QStringLiteral("help.html"));
    WriteFile(file, html);

    THelpWindow help;
    help.ShowContents(file);
    ASSERT_TRUE(Activate(&help));
    EXPECT_EQ(help.windowTitle(), QStringLiteral("Tavuko ヘルプ"));
    EXPECT_EQ(help.Browser->source().fragment(), QStringLiteral("contents"));
    EXPECT_EQ(help.Browser->source().toLocalFile(), QFileInfo(file).absoluteFilePath());
    const int atContents = help.Browser->verticalScrollBar()->value();
    EXPECT_GT(atContents, 0);
    EXPECT_FALSE(help.Back1->isEnabled());

    // Tab reaches the link, Enter follows it; Alt+Left comes back, Alt+Right goes again.
    help.Browser->setFocus();
    QTest::keyClick(help.Browser, Qt::Key_Tab);
    QTest::keyClick(help.Browser, Qt::Key_Return);
    EXPECT_EQ(help.Browser->source().fragment(), QStringLiteral("second"));
    EXPECT_GT(help.Browser->verticalScrollBar()->value(), atContents);
    EXPECT_TRUE(help.Back1->isEnabled());
    QTest::keyClick(help.Browser, Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(help.Browser->source().fragment(), QStringLiteral("contents"));
    EXPECT_TRUE(help.Forward1->isEnabled());
    QTest::keyClick(help.Browser, Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(help.Browser->source().fragment(), QStringLiteral("second"));

    // Scrolled away by hand, a new request brings the contents back into view.
    help.Browser->verticalScrollBar()->setValue(help.Browser->verticalScrollBar()->maximum());
    help.ShowContents(file);
    EXPECT_EQ(help.Browser->source().fragment(), QStringLiteral("contents"));
    EXPECT_EQ(help.Browser->verticalScrollBar()->value(), atContents);

    // Escape closes it.
    QTest::keyClick(help.Browser, Qt::Key_Escape);
    EXPECT_FALSE(help.isVisible());
}

TEST(HelpWindow, AMissingHelpFileIsSaidInTheWindow)
{
    THelpWindow help;
    const QString missing = QStringLiteral("/nonexistent/dir/TAVUKO.HTML");
    help.ShowContents(missing);
    EXPECT_TRUE(help.isVisible());
    EXPECT_TRUE(help.Browser->toPlainText().contains(
        QStringLiteral("ヘルプファイル /nonexistent/dir/TAVUKO.HTML が見つかりません。")))
        << help.Browser->toPlainText().toStdString();
    // Once the file is there, the next request shows it.
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("TAVUKO.HTML"));
    WriteFile(file, "<a name=\"contents\">here</a>");
    help.ShowContents(file);
    EXPECT_EQ(help.Browser->toPlainText(), QStringLiteral("here"));
}

// A menu caption as the help writes it: without the & of the access key, the dots of a
// command that asks for more, and the key hint.
QString AsWritten(QString caption)
{
    caption = caption.section(QLatin1Char('\t'), 0, 0);
    caption.remove(QLatin1Char('&'));
    if (caption.endsWith(QStringLiteral("..."))) caption.chop(3);
    return caption;
}

class HelpFormTest : public TFormFixture {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(TFormFixture::SetUp());
        // An installed layout: nothing beside the program, the files in share/tavuko/.
        bin = dir.filePath(QStringLiteral("usr/bin"));
        share = dir.filePath(QStringLiteral("usr/share/tavuko"));
        ASSERT_TRUE(QDir().mkpath(bin) && QDir().mkpath(share));
        form->ProgramDir = bin;
    }
    // The messages shown, each as its caption, text and icon.
    QStringList Said() const
    {
        QStringList said;
        for (const ShownMessage& m : messages)
            said << (m.caption + QLatin1Char('|') + m.text + QLatin1Char('|') + QString::number(m.icon));
        return said;
    }

    QString bin, share;
};

// The help file as Qt reads it.
void ReadHelp(QTextDocument& doc)
{
    QFile f(SourceHelpFile());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << SourceHelpFile().toStdString();
    doc.setHtml(QString::fromUtf8(f.readAll()));
}

TEST_F(HelpFormTest, TheHelpFileNamesEveryCommandAndKeyOfTheMenusAndItsLinksLead)
{
    QTextDocument doc;
    ReadHelp(doc);
    const QString text = doc.toPlainText();

    const Links links = LinksOf(doc);
    EXPECT_TRUE(links.names.contains(QString::fromLatin1(THelpWindow::ContentsAnchor)));
    EXPECT_GE(links.hrefs.size(), 15);
    for (const QString& href : links.hrefs) {
        ASSERT_TRUE(href.startsWith(QLatin1Char('#'))) << href.toStdString();
        EXPECT_TRUE(links.names.contains(href.mid(1))) << "a link leads nowhere: " << href.toStdString();
    }

    QList<QMenu*> menus;
    for (QAction* m : form->menuBar()->actions()) menus << m->menu();
    menus << form->PopupMenu1;
    for (QMenu* menu : menus) {
        if (menu != form->PopupMenu1) {
            EXPECT_TRUE(text.contains(AsWritten(menu->title()))) << menu->title().toStdString();
        }
        for (QAction* a : menu->actions()) {
            if (a->isSeparator() || a->objectName().startsWith(QStringLiteral("HistP"))) continue;
            EXPECT_TRUE(text.contains(AsWritten(a->text()))) << "the help does not name " << a->text().toStdString();
            const QString hint = a->text().section(QLatin1Char('\t'), 1);
            EXPECT_TRUE(text.contains(hint)) << hint.toStdString();
            for (const QKeySequence& k : a->shortcuts()) {
                const QString key = k.toString(QKeySequence::PortableText);
                EXPECT_TRUE(text.contains(key)) << key.toStdString();
            }
        }
    }
}

TEST(Help, TheHelpFileNamesEverySettingOfTheSettingsDialog)
{
    QTextDocument doc;
    ReadHelp(doc);
    const QString text = doc.toPlainText();
    TSettings settings;
    TSettingDlg dialog(settings, 96, [] {});
    for (int i = 0; i < dialog.PageControl1->count(); ++i)
        EXPECT_TRUE(text.contains(AsWritten(dialog.PageControl1->tabText(i))))
            << dialog.PageControl1->tabText(i).toStdString();
    int named = 0;
    for (QAbstractButton* b : dialog.findChildren<QAbstractButton*>()) {
        if (b->window() != &dialog || b == dialog.OKBtn || b == dialog.CancelBtn) continue;  // not the choosers' own
        EXPECT_TRUE(text.contains(AsWritten(b->text()))) << "the help does not name " << b->text().toStdString();
        ++named;
    }
    EXPECT_GE(named, 11);  // five choosers and six check boxes
    for (const QLabel* l : {dialog.Label4, dialog.Label1})
        EXPECT_TRUE(text.contains(l->text())) << l->text().toStdString();
}

TEST_F(HelpFormTest, F1OpensTheInstalledHelpAtItsContentsEachTime)
{
    ASSERT_TRUE(QFile::copy(SourceHelpFile(), share + QStringLiteral("/TAVUKO.HTML")));
    ASSERT_TRUE(Activate(form.get()));
    QTest::keyClick(form->BigView1, Qt::Key_F1);
    THelpWindow* help = form->HelpWindow1;
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(QFileInfo(help->Browser->source().toLocalFile()), QFileInfo(share + QStringLiteral("/TAVUKO.HTML")));
    EXPECT_EQ(help->Browser->source().fragment(), QStringLiteral("contents"));
    EXPECT_TRUE(help->Browser->toPlainText().contains(QStringLiteral("目次")));

    // Elsewhere in the help, F1 in the main window brings the same window back to the contents.
    help->Browser->setSource(QUrl(QStringLiteral("#keys")));
    ASSERT_EQ(help->Browser->source().fragment(), QStringLiteral("keys"));
    const int atKeys = help->Browser->verticalScrollBar()->value();
    ASSERT_TRUE(Activate(form.get()));
    QTest::keyClick(form->BigView1, Qt::Key_F1);
    EXPECT_EQ(form->HelpWindow1, help);
    EXPECT_EQ(help->Browser->source().fragment(), QStringLiteral("contents"));
    EXPECT_LT(help->Browser->verticalScrollBar()->value(), atKeys);
    EXPECT_TRUE(messages.empty());

    // The help window goes with the main window.
    QPointer<THelpWindow> alive(help);
    form.reset();
    EXPECT_TRUE(alive.isNull());
}

TEST_F(HelpFormTest, TheReadmeIsOpenedByTheDesktopOrItsFailureSaid)
{
    const QString failure =
        QStringLiteral("TAVUKO.TXTを開く|TAVUKO.TXTが開けません。|") + QString::number(QMessageBox::Critical);
    enum Where { Missing, Beside, Installed, AFolder };
    struct Case {
        Where where;
        bool openerSucceeds;
        bool opened;  // the opener was asked
        bool failed;  // the failure message was shown
    };
    const Case cases[] = {
        {Beside, true, true, false},  {Installed, true, true, false}, {Beside, false, true, true},
        {Missing, true, false, true}, {AFolder, true, false, true},
    };
    for (const Case& c : cases) {
        for (const QString& d : {bin, share}) {
            QDir(d + QStringLiteral("/TAVUKO.TXT")).removeRecursively();
            QFile::remove(d + QStringLiteral("/TAVUKO.TXT"));
        }
        QString path;
        if (c.where == Beside || c.where == AFolder) path = bin + QStringLiteral("/TAVUKO.TXT");
        if (c.where == Installed) path = share + QStringLiteral("/TAVUKO.TXT");
        if (c.where == AFolder) ASSERT_TRUE(QDir().mkdir(path));
        else if (!path.isEmpty()) WriteFile(path, "readme\r\n");

        QList<QUrl> asked;
        form->OpenUrlFn = [&](const QUrl& url) {
            asked << url;
            return c.openerSucceeds;
        };
        messages.clear();
        form->TavukoTxt1->trigger();
        EXPECT_EQ(!asked.isEmpty(), c.opened) << c.where;
        if (!asked.isEmpty()) {
            EXPECT_EQ(asked, QList<QUrl>{QUrl::fromLocalFile(path)});
        }
        EXPECT_EQ(Said(), c.failed ? QStringList{failure} : QStringList{}) << c.where;
    }
}

}  // namespace
