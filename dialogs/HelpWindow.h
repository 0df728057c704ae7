#pragma once
// THelpWindow: the program's help window. It shows the HTML help file, opened at its table of
// contents, with the links inside it, Back and Forward. One window lives as long as its owner and
// is shown again at the contents by each request.
#include <QMainWindow>
#include <QString>

class QAction;
class QTextBrowser;

class THelpWindow : public QMainWindow {
    Q_OBJECT
public:
    // owner: the main window; the help window closes with it.
    explicit THelpWindow(QWidget* owner = nullptr);

    // The anchor of the help file's table of contents.
    static constexpr const char* ContentsAnchor = "contents";

    // Shows the window with helpFile at its contents; a help file that is missing is said in
    // the window itself, naming where it was looked for.
    void ShowContents(const QString& helpFile);

    QTextBrowser* Browser = nullptr;
    QAction* Contents1 = nullptr;
    QAction* Back1 = nullptr;
    QAction* Forward1 = nullptr;
    QAction* Close1 = nullptr;

private:
    QString helpFile_;
};
