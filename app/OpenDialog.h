#pragma once
// The Open dialog: Qt's file dialog, plus what users of it expect on this system.
#include <QFileDialog>

class TOpenDialog : public QFileDialog {
public:
    TOpenDialog(QWidget* parent, const QString& caption);
    // A typed wildcard (*.txt, say) filters the list instead of naming a file to open.
    void accept() override;
    // The file-name completion's popup goes with the dialog.
    void done(int result) override;
    // The patterns a typed text gives, or none when it is a name.
    static QStringList TypedPatterns(const QString& text);
};
