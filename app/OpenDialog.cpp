#include "app/OpenDialog.h"

#include <QAbstractItemView>
#include <QBoxLayout>
#include <QCompleter>
#include <QFileIconProvider>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QStyle>
#include <algorithm>

#include "app/ByteNameModel.h"
#include "platform/FileNames.h"

TOpenDialog::TOpenDialog(QWidget* parent, const QString& caption) : QFileDialog(parent, caption)
{
    // Qt's own dialog, not the desktop's: names that are no UTF-8 and typed wildcards are
    // handled here, the same on every desktop.
    setOption(QFileDialog::DontUseNativeDialog);
    AddByteNameList();
}

QLineEdit* TOpenDialog::FileNameEdit() const { return findChild<QLineEdit*>(QStringLiteral("fileNameEdit")); }

void TOpenDialog::AddByteNameList()
{
    auto* files = findChild<QFileSystemModel*>();
    auto* stack = findChild<QStackedWidget*>(QStringLiteral("stackedWidget"));
    auto* mainList = findChild<QListView*>(QStringLiteral("listView"));
    auto* column = stack ? qobject_cast<QBoxLayout*>(stack->parentWidget()->layout()) : nullptr;
    QLineEdit* edit = FileNameEdit();
    if (!files || !column || !mainList || !edit) return;  // not the dialog this was made for: Qt's alone

    byteNames_ = new TByteNameModel(this);
    byteNames_->SetIcon(QFileIconProvider().icon(QFileIconProvider::File));
    byteList_ = new QListView;
    byteList_->setObjectName(QStringLiteral("byteNameList"));
    byteList_->setModel(byteNames_);
    byteList_->setSelectionMode(QAbstractItemView::SingleSelection);
    byteList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    byteList_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    const int icon = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, byteList_);  // as Qt's rows have
    byteList_->setIconSize(QSize(icon, icon));
    byteList_->hide();
    column->addWidget(byteList_);
    if (auto* details = findChild<QWidget*>(QStringLiteral("treeView"))) setTabOrder(details, byteList_);

    // The main list's folder and filters are the ones this list follows: its model re-sorts
    // (layoutChanged) after every change of its wildcards.
    const auto follow = [this, files] { byteNames_->SetFilter(files->nameFilters(), files->filter()); };
    connect(files, &QFileSystemModel::rootPathChanged, byteNames_, &TByteNameModel::SetDirectory);
    connect(files, &QAbstractItemModel::layoutChanged, byteNames_, follow);
    follow();
    byteNames_->SetDirectory(files->rootPath());
    connect(byteNames_, &QAbstractItemModel::modelReset, this, &TOpenDialog::ByteNamesChanged);

    // One choice at a time: an entry of this list, or what Qt's list or the name box names.
    connect(byteList_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const QModelIndexList rows = byteList_->selectionModel()->selectedRows();
        if (!rows.isEmpty()) ChooseByteName(rows.front());
    });
    connect(byteList_, &QAbstractItemView::activated, this, [this](const QModelIndex& index) {
        ChooseByteName(index);
        accept();
    });
    connect(mainList->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this, mainList] {
        if (!choosing_ && mainList->selectionModel()->hasSelection()) DropByteName();
    });
    connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!chosen_.empty() && text != chosenShown_) DropByteName();
    });
    ByteNamesChanged();
}

void TOpenDialog::ChooseByteName(const QModelIndex& index)
{
    if (!index.isValid()) return;
    chosen_ = byteNames_->FilePath(index.row());
    chosenShown_ = index.data().toString();
    // Qt's list selects what the name box names: a UTF-8 twin of the same look is no choice.
    choosing_ = true;
    FileNameEdit()->setText(chosenShown_);
    if (auto* mainList = findChild<QListView*>(QStringLiteral("listView")))
        mainList->selectionModel()->clearSelection();
    choosing_ = false;
}

void TOpenDialog::DropByteName()
{
    chosen_.clear();
    chosenShown_.clear();
    if (byteList_) byteList_->selectionModel()->clearSelection();
}

void TOpenDialog::ByteNamesChanged()
{
    // The chosen entry stays chosen while its file is listed.
    const int row = chosen_.empty() ? -1 : byteNames_->RowOf(chosen_);
    if (row >= 0) byteList_->setCurrentIndex(byteNames_->index(row));
    else DropByteName();
    const int rows = byteNames_->rowCount();
    byteList_->setVisible(rows > 0);
    if (rows > 0)
        // Up to four rows without scrolling: Qt's list above keeps the room.
        byteList_->setFixedHeight(std::min(rows, 4) * byteList_->sizeHintForRow(0) + 2 * byteList_->frameWidth());
}

void TOpenDialog::showEvent(QShowEvent* e)
{
    // A choice of the last run is no choice of this one.
    DropByteName();
    accepted_.clear();
    QFileDialog::showEvent(e);
}

QStringList TOpenDialog::TypedPatterns(const QString& text)
{
    if (!text.contains(QLatin1Char('*')) && !text.contains(QLatin1Char('?'))) return {};
    QStringList patterns;
    for (const QString& p : text.split(QRegularExpression(QStringLiteral("[;\\s]+")), Qt::SkipEmptyParts))
        patterns << p;
    return patterns;
}

void TOpenDialog::accept()
{
    QLineEdit* edit = FileNameEdit();
    const QString text = edit ? edit->text() : QString();
    const QStringList patterns = TypedPatterns(text);
    if (!patterns.isEmpty()) {
        if (auto* model = findChild<QFileSystemModel*>()) {
            model->setNameFilterDisables(false);
            model->setNameFilters(patterns);
        }
        edit->clear();
        return;
    }
    accepted_ = chosen_;
    // A name typed as the second list shows it, where no file Qt can see has that name.
    if (accepted_.empty() && byteNames_ && !text.isEmpty() && !text.contains(QLatin1Char('/')) &&
        !QFileInfo::exists(directory().filePath(text)))
        accepted_ = byteNames_->FileShownAs(text);
    // Qt's own checks know only the names it can list.
    if (!accepted_.empty()) return QDialog::accept();
    QFileDialog::accept();
}

std::string TOpenDialog::ChosenFile() const
{
    if (!accepted_.empty()) return accepted_;
    const QStringList files = selectedFiles();
    return files.isEmpty() ? std::string() : platform::LocalFileName(files.front());
}

void TOpenDialog::done(int result)
{
    for (QCompleter* c : findChildren<QCompleter*>())
        if (c->popup()) c->popup()->hide();
    QFileDialog::done(result);
}
