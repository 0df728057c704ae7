#pragma once
// The Open dialog: Qt's file dialog, plus what users of it expect on this system.
#include <QFileDialog>
#include <string>

class QLineEdit;
class QListView;
class TByteNameModel;

class TOpenDialog : public QFileDialog {
public:
    TOpenDialog(QWidget* parent, const QString& caption);
    // A typed wildcard (*.txt, say) filters the list instead of naming a file to open; a name
    // that is no UTF-8, chosen from its list or typed as it is shown, is taken as it is.
    void accept() override;
    // The file-name completion's popup goes with the dialog.
    void done(int result) override;
    // The patterns a typed text gives, or none when it is a name.
    static QStringList TypedPatterns(const QString& text);

    // The bytes of the file chosen at the last accept, as they are on disk; empty when none was.
    std::string ChosenFile() const;
    // The second list: the folder's files whose names are no UTF-8, which Qt's own list cannot
    // show; under it, and seen only when there are any.
    QListView* ByteNameList() const { return byteList_; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    void AddByteNameList();
    void ChooseByteName(const QModelIndex& index);
    void DropByteName();
    void ByteNamesChanged();
    QLineEdit* FileNameEdit() const;

    TByteNameModel* byteNames_ = nullptr;
    QListView* byteList_ = nullptr;
    std::string chosen_;  // the entry chosen from the second list, while the name box shows it
    QString chosenShown_;
    std::string accepted_;  // that entry, once accepted
    bool choosing_ = false;
};
