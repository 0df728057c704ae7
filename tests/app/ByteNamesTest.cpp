// The Open dialog's second list: the folder's files whose names are no UTF-8, which Qt's own
// list skips. The model over a real folder, then the dialog driven by clicks and keys.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileSystemModel>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "app/ByteNameModel.h"
#include "app/MainForm.h"
#include "app/OpenDialog.h"
#include "bigview/Bigview.h"
#include "support/MainFormFixture.h"
#include "support/WhenModal.h"

namespace {

// Shift-JIS names, and what they show as.
const std::string kAi("\x82\xa0\x82\xa2.txt");                  // あい.txt; a UTF-8 twin of that name is beside it
const std::string kTest("\x83\x65\x83\x58\x83\x67.log");        // テスト.log
const std::string kMemo("\x83\x81\x83\x82");                    // メモ, no extension
const std::string kHidden(".\x89\x42\x82\xb5");                 // .隠し
const std::string kFolder("\x83\x74\x83\x48\x83\x8b\x83\x5f");  // フォルダ
const std::string kPipe("\x83\x70\x83\x43\x83\x76");            // パイプ, a FIFO
const std::string kNew("\x90\x56\x8b\x4b.txt");                 // 新規.txt, made while the dialog is up

// Japanese text as an input method commits it.
void TypeByInputMethod(QWidget* w, const QString& text)
{
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(w, &commit);
}

// The folder of those names; the window is made only by the dialog's tests.
class ByteNamesTest : public TFormFixture {
protected:
    void SetUp() override
    {
        d = QFile::encodeName(dir.path()).toStdString() + "/";
        for (const auto& [name, text] : {std::pair{kAi, "sjis ai"},
                                         {kTest, "sjis test"},
                                         {kMemo, "memo"},
                                         {kHidden, "hidden"},
                                         {std::string("あい.txt"), "utf8 ai"},
                                         {std::string("normal.txt"), "normal"}})
            std::ofstream(d + name, std::ios::binary) << text << "\r\n";
        mkdir((d + kFolder).c_str(), 0700);
        mkfifo((d + kPipe).c_str(), 0600);
    }
    void TearDown() override
    {
        TFormFixture::TearDown();
        // QTemporaryDir cannot remove what Qt cannot list.
        for (const std::string& n : {kAi, kTest, kMemo, kHidden, kPipe, kNew}) unlink((d + n).c_str());
        rmdir((d + kFolder).c_str());
    }
    static QStringList Shown(const QAbstractItemModel* m)
    {
        QStringList names;
        for (int r = 0; r < m->rowCount(); ++r) names << m->index(r, 0).data().toString();
        return names;
    }

    std::string d;
};

TEST_F(ByteNamesTest, TheModelListsTheFolderDecodedAndFilteredAsTheDialogsOwnList)
{
    TByteNameModel model;
    model.SetDirectory(dir.path());
    const QDir::Filters dialog = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::AllDirs;  // what Qt's dialog uses
    const struct {
        QStringList wildcards;
        QDir::Filters filters;
        QStringList shown;  // in order
    } cases[] = {
        {{}, dialog, {"あい.txt", "テスト.log", "メモ"}},
        {{"*"}, dialog, {"あい.txt", "テスト.log", "メモ"}},
        {{"*.txt", "*.log"}, dialog, {"あい.txt", "テスト.log"}},
        {{"*.TXT"}, dialog, {"あい.txt"}},  // case-blind, as the dialog's list
        {{"*.TXT"}, dialog | QDir::CaseSensitive, {}},
        {{"テ*"}, dialog, {"テスト.log"}},  // wildcards match the name as shown
        {{"*.cpp"}, dialog, {}},
        {{"*"}, dialog | QDir::Hidden, {".隠し", "あい.txt", "テスト.log", "メモ"}},
        {{"*"}, dialog | QDir::System, {"あい.txt", "テスト.log", "パイプ", "メモ"}},
        {{"*"}, QDir::AllDirs, {}},  // a folders-only list
    };
    for (const auto& c : cases) {
        model.SetFilter(c.wildcards, c.filters);
        QStringList want = c.shown;
        QStringList got = Shown(&model);
        // The order is the dialog's collation; compared apart from the set listed.
        std::sort(want.begin(), want.end());
        std::sort(got.begin(), got.end());
        EXPECT_EQ(got, want) << c.wildcards.join(' ').toStdString() << " " << int(c.filters);
    }

    model.SetFilter({"*.txt"}, dialog);
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.FilePath(0), d + kAi);
    EXPECT_EQ(model.RowOf(d + kAi), 0);
    EXPECT_EQ(model.RowOf(d + "あい.txt"), -1);
    // Typed names are found whether the filter lists them or not.
    EXPECT_EQ(model.FileShownAs(QStringLiteral("メモ")), d + kMemo);
    EXPECT_EQ(model.FileShownAs(QStringLiteral("normal.txt")), "");

    // Files coming and going are listed at once.
    std::ofstream(d + kNew) << "new\r\n";
    EXPECT_TRUE(QTest::qWaitFor([&] { return model.rowCount() == 2; }, 3000)) << Shown(&model).join(' ').toStdString();
    unlink((d + kNew).c_str());
    EXPECT_TRUE(QTest::qWaitFor([&] { return model.rowCount() == 1; }, 3000)) << Shown(&model).join(' ').toStdString();
}

class ByteNamesDialogTest : public ByteNamesTest {
protected:
    void SetUp() override
    {
        ByteNamesTest::SetUp();
        MakeForm();
        form->show();
        dialog = form->OpenDialog1();
        dialog->setDirectory(dir.path());
        // The text files' filter: the names without an extension stay out of the lists.
        dialog->selectNameFilter(dialog->nameFilters().front());
        list = dialog->ByteNameList();
        ASSERT_NE(list, nullptr);
    }
    // Runs the Open command; act works the dialog once it is up, then it is closed if still open.
    void Open(std::function<void()> act)
    {
        WhenModal<QFileDialog>(
            [this, act](QFileDialog*) {
                act();
                if (dialog->isVisible()) dialog->reject();
            },
            30000);
        form->Open1Click();
    }
    // Waits until the second list shows exactly these names.
    bool Lists(const QStringList& names)
    {
        return QTest::qWaitFor([&] { return Shown(list->model()) == names && list->isVisible() == !names.isEmpty(); },
                               3000);
    }
    QLineEdit* NameBox() const { return dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")); }
    // The point of the row showing name, in the list's viewport.
    QPoint RowAt(QListView* view, const QModelIndex& index)
    {
        (void)QTest::qWaitFor([&] { return view->visualRect(index).isValid(); }, 3000);
        return view->visualRect(index).center();
    }
    QPoint ByteRow(const QString& name)
    {
        const QModelIndexList found =
            list->model()->match(list->model()->index(0, 0), Qt::DisplayRole, name, 1, Qt::MatchExactly);
        return found.isEmpty() ? QPoint(-1, -1) : RowAt(list, found.front());
    }

    TOpenDialog* dialog = nullptr;
    QListView* list = nullptr;
};

TEST_F(ByteNamesDialogTest, TheSecondListFollowsTheFilterATypedWildcardAndTheFolder)
{
    QStringList first, all, typed, none, grown;
    Open([&] {
        // The first filter: every text file.
        if (Lists({"あい.txt", "テスト.log"})) first = Shown(list->model());
        // "すべてのファイル(*)" chosen from the filter box by key.
        auto* filterBox = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        filterBox->setFocus();
        QTest::keyClick(filterBox, Qt::Key_Down);
        if (Lists({"あい.txt", "テスト.log", "メモ"})) all = Shown(list->model());
        // A wildcard typed and entered.
        NameBox()->setFocus();
        QTest::keyClicks(NameBox(), QStringLiteral("*.log"));
        QTest::keyClick(NameBox(), Qt::Key_Return);
        if (Lists({"テスト.log"})) typed = Shown(list->model());
        QTest::keyClicks(NameBox(), QStringLiteral("*.cpp"));
        QTest::keyClick(NameBox(), Qt::Key_Return);
        if (Lists({})) none = {"hidden"};
        // A file arriving while the dialog is up.
        QTest::keyClicks(NameBox(), QStringLiteral("*.txt"));
        QTest::keyClick(NameBox(), Qt::Key_Return);
        std::ofstream(d + kNew) << "new\r\n";
        if (Lists({"あい.txt", "新規.txt"})) grown = Shown(list->model());
    });
    EXPECT_EQ(first, QStringList({"あい.txt", "テスト.log"}));
    EXPECT_EQ(all, QStringList({"あい.txt", "テスト.log", "メモ"}));
    EXPECT_EQ(typed, QStringList({"テスト.log"}));
    EXPECT_EQ(none, QStringList({"hidden"}));
    EXPECT_EQ(grown, QStringList({"あい.txt", "新規.txt"}));
    EXPECT_EQ(form->CurrentFileName(), "");
}

TEST_F(ByteNamesDialogTest, ChoosingANameThatIsNoUtf8OpensExactlyItsBytes)
{
    const auto openButton = [this] {
        return dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))->button(QDialogButtonBox::Open);
    };
    const auto clickByteRow = [this](const QString& name) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, ByteRow(name));
    };
    const struct {
        const char* way;
        std::function<void()> choose;
        std::string opened;
        const char* firstLine;
        const char* caption;  // the name that follows the folder in the title
    } ways[] = {
        {"clicked, then Open",
         [&] {
             clickByteRow("あい.txt");
             QTest::mouseClick(openButton(), Qt::LeftButton);
         },
         d + kAi, "sjis ai", "あい.txt"},
        {"double clicked", [&] { QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, ByteRow("あい.txt")); },
         d + kAi, "sjis ai", "あい.txt"},
        {"moved to by key, Enter",
         [&] {
             list->setFocus();
             QTest::keyClick(list, Qt::Key_End);
             QTest::keyClick(list, Qt::Key_Return);
         },
         d + kTest, "sjis test", "テスト.log"},
        {"clicked, then Enter in the name box",
         [&] {
             clickByteRow("テスト.log");
             NameBox()->setFocus();
             QTest::keyClick(NameBox(), Qt::Key_Return);
         },
         d + kTest, "sjis test", "テスト.log"},
        {"typed as shown, Enter",
         [&] {
             NameBox()->setFocus();
             NameBox()->selectAll();  // over the last run's name
             TypeByInputMethod(NameBox(), QStringLiteral("テスト.log"));
             QTest::keyClick(NameBox(), Qt::Key_Return);
         },
         d + kTest, "sjis test", "テスト.log"},
        // One choice at a time: the twin of the same look in Qt's own list, clicked after.
        {"clicked, then its UTF-8 twin clicked, then Open",
         [&] {
             clickByteRow("あい.txt");
             auto* mainList = dialog->findChild<QListView*>(QStringLiteral("listView"));
             auto* files = dialog->findChild<QFileSystemModel*>();
             const QModelIndex twin = files->index(dir.filePath(QStringLiteral("あい.txt")));
             QTest::mouseClick(mainList->viewport(), Qt::LeftButton, {}, RowAt(mainList, twin));
             QTest::mouseClick(openButton(), Qt::LeftButton);
         },
         d + "あい.txt", "utf8 ai", "あい.txt"},
        // And back: a name of Qt's list typed over the choice.
        {"clicked, then another name typed",
         [&] {
             clickByteRow("あい.txt");
             NameBox()->setFocus();
             NameBox()->selectAll();
             QTest::keyClicks(NameBox(), QStringLiteral("normal.txt"));
             QTest::keyClick(NameBox(), Qt::Key_Return);
         },
         d + "normal.txt", "normal", "normal.txt"},
    };
    for (const auto& w : ways) {
        form->BigView1->Clear();
        bool listed = false;
        Open([&] {
            listed = Lists({"あい.txt", "テスト.log"});
            if (listed) w.choose();
        });
        EXPECT_TRUE(listed) << w.way;
        EXPECT_EQ(form->CurrentFileName(), w.opened) << w.way;
        EXPECT_EQ(FirstLine(), w.firstLine) << w.way;
        EXPECT_FALSE(dialog->isVisible()) << w.way;
        EXPECT_EQ(form->windowTitle(), dir.path() + "/" + QString::fromUtf8(w.caption) + " - Tavuko") << w.way;
    }
}

}  // namespace
