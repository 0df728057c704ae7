// Opening files by the names people have on this system: names that are no UTF-8, typed
// wildcards, names without a dot.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QElapsedTimer>
#include <fstream>
#include <unistd.h>

#include "app/MainForm.h"
#include "app/OpenDialog.h"
#include "bigview/Bigview.h"
#include "support/MainFormFixture.h"

namespace {

const std::string kSjisName("\x83\x65\x83\x58\x83\x67.txt");  // "テスト.txt" in Shift-JIS

class OpenFilesTest : public TFormFixture {
protected:
    void SetUp() override
    {
        MakeForm();
        dirBytes = QFile::encodeName(dir.path()).toStdString();
    }
    void TearDown() override
    {
        unlink((dirBytes + "/" + kSjisName).c_str());  // QTemporaryDir cannot name it
        TFormFixture::TearDown();
    }
    // Names here are the file system's bytes, which need not be UTF-8.
    std::string Write(const std::string& name, const std::string& bytes)
    {
        std::ofstream(dirBytes + "/" + name, std::ios::binary) << bytes;
        return dirBytes + "/" + name;
    }
    // The names the dialog's list shows now.
    QStringList Listed(QFileDialog* d)
    {
        auto* model = d->findChild<QFileSystemModel*>();
        QStringList names;
        const QModelIndex root = model->index(d->directory().absolutePath());
        for (int r = 0; r < model->rowCount(root); ++r) {
            const QModelIndex i = model->index(r, 0, root);
            names << model->fileName(i);
        }
        names.sort();
        return names;
    }
    // Waits for the dialog to list dir, then acts, while the dialog runs modally.
    void WhenListed(QFileDialog* d, std::function<void()> act)
    {
        auto* timer = new QTimer(d);
        auto* waited = new QElapsedTimer;
        waited->start();
        QObject::connect(timer, &QTimer::timeout, d, [this, d, timer, act, waited] {
            if (!d->isVisible() || (Listed(d).size() < 3 && waited->elapsed() < 3000)) return;
            delete waited;
            timer->deleteLater();
            timer->stop();
            act();
            if (d->isVisible()) d->reject();  // not taken: fail below rather than hang
        });
        timer->start(10);
    }

    std::string dirBytes;
};

}  // namespace

TEST_F(OpenFilesTest, ADroppedNameThatIsNoUtf8OpensAndShowsReadably)
{
    const std::string name = Write(kSjisName, "sjis\r\n");
    // A file manager percent-encodes the name's bytes in the uri list.
    QMimeData data;
    data.setData(QStringLiteral("text/uri-list"),
                 "file://" + QByteArray::fromStdString(name).toPercentEncoding("/") + "\r\n");
    form->show();
    const QPoint at = form->BigView1->geometry().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &drop);
    EXPECT_EQ(form->CurrentFileName(), name);
    EXPECT_EQ(FirstLine(), "sjis");
    EXPECT_EQ(form->windowTitle(), dir.path() + QStringLiteral("/テスト.txt - Tavuko"));
}

TEST_F(OpenFilesTest, TheDialogListsNamesWithoutADotAndOpensANameThatIsNoUtf8ByItsBytes)
{
    const std::string sjis = Write(kSjisName, "sjis\r\n");
    Write("README", "readme\n");
    Write("notes.log", "log\n");
    Write("Makefile", "all:\n");
    QFileDialog* d = form->OpenDialog1();
    d->setDirectory(dir.path());
    EXPECT_EQ(d->selectedNameFilter(), QStringLiteral("すべてのファイル(*)"));  // names without a dot too
    QStringList listed;
    WhenListed(d, [&] {
        listed = Listed(d);
        // Typed as the dialog shows such a name: with replacement characters.
        auto* edit = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        edit->setText(QFile::decodeName(kSjisName.c_str()));
        QMetaObject::invokeMethod(d, "accept");
    });
    form->Open1Click();
    EXPECT_TRUE(listed.contains(QStringLiteral("README")) && listed.contains(QStringLiteral("Makefile")))
        << listed.join(' ').toStdString();
    EXPECT_EQ(form->CurrentFileName(), sjis);
    EXPECT_EQ(FirstLine(), "sjis");
}

TEST_F(OpenFilesTest, ATypedWildcardFiltersTheListInsteadOfOpening)
{
    Write("a.txt", "a\n");
    Write("b.log", "b\n");
    Write("README", "r\n");
    QFileDialog* d = form->OpenDialog1();
    d->setDirectory(dir.path());
    d->selectNameFilter(d->nameFilters()[1]);
    QStringList before, after;
    bool stillOpen = false;
    WhenListed(d, [&] {
        before = Listed(d);
        d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("*.txt"));
        QMetaObject::invokeMethod(d, "accept");
        stillOpen = d->isVisible();
        (void)QTest::qWaitFor([&] { return Listed(d).size() == 1; }, 2000);  // checked below
        after = Listed(d);
    });
    form->Open1Click();
    EXPECT_EQ(before.size(), 3);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(after, QStringList({QStringLiteral("a.txt")}));
    EXPECT_EQ(form->CurrentFileName(), "");
}

TEST_F(OpenFilesTest, TheCompletionPopupGoesWithTheDialog)
{
    const std::string name = Write("chosen.txt", "c\n");
    Write("chosen2.txt", "d\n");
    Write("other.txt", "e\n");
    QFileDialog* d = form->OpenDialog1();
    d->setDirectory(dir.path());
    QCompleter* completer = nullptr;
    WhenListed(d, [&] {
        auto* edit = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QTest::keyClicks(edit, QStringLiteral("cho"));
        completer = edit->completer();
        if (completer) completer->complete();
        edit->setText(QStringLiteral("chosen.txt"));
        QMetaObject::invokeMethod(d, "accept");
    });
    form->Open1Click();
    EXPECT_EQ(form->CurrentFileName(), name);
    ASSERT_NE(completer, nullptr);
    EXPECT_FALSE(completer->popup()->isVisible());
}
