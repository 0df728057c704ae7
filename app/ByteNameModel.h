#pragma once
// The current folder's files whose names are no UTF-8 (Shift-JIS names from Windows archives):
// Qt's directory listings skip them, so the Open dialog lists them from this model, read from
// the folder as bytes, shown decoded, filtered as the dialog's own list is, and kept up to date.
#include <QAbstractListModel>
#include <QDir>
#include <QFileSystemWatcher>
#include <QIcon>
#include <QRegularExpression>
#include <QTimer>
#include <string>
#include <vector>

class TByteNameModel : public QAbstractListModel {
public:
    explicit TByteNameModel(QObject* parent = nullptr);

    // The folder listed; watched, so that files coming and going are listed at once.
    void SetDirectory(const QString& dir);
    QString Directory() const { return dir_; }
    // The wildcards and entry filters of the dialog's list (as its QFileSystemModel has them):
    // names match a wildcard, case-blind unless CaseSensitive; dot names only with Hidden;
    // files other than regular ones only with System; none at all without Files.
    void SetFilter(const QStringList& wildcards, QDir::Filters filters);
    // Reads the folder again.
    void Rescan();

    // The full name, as bytes, of a row's file.
    std::string FilePath(int row) const;
    // The row whose file's full name is path; -1 when none is.
    int RowOf(const std::string& path) const;
    // The full name of the folder's file that shows as name, filtered out or not; empty when none does.
    std::string FileShownAs(const QString& name) const;

    void SetIcon(const QIcon& icon) { icon_ = icon; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    struct Entry {
        std::string name;  // bytes
        QString shown;     // decoded for people
        bool regular;
    };
    bool Passes(const Entry& e) const;
    std::string FullName(const Entry& e) const;
    void Refilter();

    QString dir_;
    std::string dirBytes_;
    std::vector<Entry> entries_;  // every file of the folder whose name is no UTF-8
    std::vector<Entry> rows_;     // those that pass the filter, sorted as the dialog sorts
    std::vector<QRegularExpression> wildcards_;
    QDir::Filters filters_ = QDir::AllEntries;
    QFileSystemWatcher watcher_;
    QTimer changed_;  // one reading for a burst of changes (an archive unpacked into the folder)
    QIcon icon_;
};
