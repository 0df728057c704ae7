#include "app/ByteNameModel.h"

#include <QCollator>
#include <QFile>
#include <algorithm>

#include "platform/FileNames.h"

TByteNameModel::TByteNameModel(QObject* parent) : QAbstractListModel(parent)
{
    changed_.setSingleShot(true);
    changed_.setInterval(100);
    connect(&changed_, &QTimer::timeout, this, &TByteNameModel::Rescan);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, &changed_, qOverload<>(&QTimer::start));
}

void TByteNameModel::SetDirectory(const QString& dir)
{
    if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
    dir_ = dir;
    dirBytes_ = QFile::encodeName(dir).toStdString();
    if (!dir.isEmpty()) watcher_.addPath(dir);
    Rescan();
}

void TByteNameModel::SetFilter(const QStringList& wildcards, QDir::Filters filters)
{
    const Qt::CaseSensitivity cs = filters.testFlag(QDir::CaseSensitive) ? Qt::CaseSensitive : Qt::CaseInsensitive;
    wildcards_.clear();
    for (const QString& w : wildcards) wildcards_.push_back(QRegularExpression::fromWildcard(w, cs));
    filters_ = filters;
    Refilter();
}

void TByteNameModel::Rescan()
{
    changed_.stop();
    entries_.clear();
    if (!dir_.isEmpty())
        for (platform::TByteNamedEntry& e : platform::EntriesNotUtf8(dirBytes_))
            // A folder is left out: the dialog cannot show what is inside one whose name it cannot hold.
            if (e.kind != platform::TByteNamedEntry::Directory) {
                QString shown = platform::DisplayFileName(e.name);
                entries_.push_back({std::move(e.name), std::move(shown), e.kind == platform::TByteNamedEntry::File});
            }
    Refilter();
}

bool TByteNameModel::Passes(const Entry& e) const
{
    if (!filters_.testFlag(QDir::Files)) return false;
    if (!e.regular && !filters_.testFlag(QDir::System)) return false;
    if (e.name[0] == '.' && !filters_.testFlag(QDir::Hidden)) return false;
    return wildcards_.empty() || std::any_of(wildcards_.begin(), wildcards_.end(),
                                             [&](const QRegularExpression& w) { return w.match(e.shown).hasMatch(); });
}

void TByteNameModel::Refilter()
{
    std::vector<Entry> rows;
    std::copy_if(entries_.begin(), entries_.end(), std::back_inserter(rows),
                 [this](const Entry& e) { return Passes(e); });
    QCollator collator;
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(rows.begin(), rows.end(), [&](const Entry& a, const Entry& b) {
        const int c = collator.compare(a.shown, b.shown);
        return c ? c < 0 : a.name < b.name;
    });
    // Reset only when what is listed changed: the dialog's list re-sorts often, and a reset
    // loses the selection.
    if (std::equal(rows.begin(), rows.end(), rows_.begin(), rows_.end(),
                   [](const Entry& a, const Entry& b) { return a.name == b.name && a.regular == b.regular; }))
        return;
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

std::string TByteNameModel::FullName(const Entry& e) const
{
    return dirBytes_ + (dirBytes_.ends_with('/') ? "" : "/") + e.name;
}

std::string TByteNameModel::FilePath(int row) const
{
    if (row < 0 || size_t(row) >= rows_.size()) return {};
    return FullName(rows_[size_t(row)]);
}

int TByteNameModel::RowOf(const std::string& path) const
{
    for (int r = 0; r < rowCount(); ++r)
        if (FilePath(r) == path) return r;
    return -1;
}

std::string TByteNameModel::FileShownAs(const QString& name) const
{
    for (const Entry& e : entries_)
        if (e.shown == name) return FullName(e);
    return {};
}

int TByteNameModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(rows_.size()); }

QVariant TByteNameModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || size_t(index.row()) >= rows_.size()) return {};
    switch (role) {
    case Qt::DisplayRole: return rows_[size_t(index.row())].shown;
    case Qt::DecorationRole: return icon_;
    default: return {};
    }
}
