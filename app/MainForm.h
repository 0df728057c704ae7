#pragma once
// TForm1: the main window. Its whole client area is the text view BigView1; around it are the
// menus and the ways of opening a file. One class, split over files by concern:
//   MainForm.cpp       construction, showing, closing, caption
//   MainFormOpen.cpp   OpenFile, tab width by extension, Open dialog, reload, dropped files
//   MainFormMenus.cpp  menu bar, context menu, their enabling, Copy and Exit
#include <QMainWindow>
#include <QMessageBox>
#include <QString>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QFileDialog;
class QMenu;
class TBigView;

// Program-level state, alive from before the main window until the program ends.
// The full path of the file now shown (bytes as the file system takes them), "" while none is.
extern std::string CurrentFileName;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // view: the text view to use; a default one is made when none is given. The window owns it.
    explicit TForm1(TBigView* view = nullptr, QWidget* parent = nullptr);
    ~TForm1() override;

    // The program's arguments after its own name; the first is opened when the window is first
    // shown, the others are ignored.
    std::vector<std::string> Arguments;

    // Every message box of the main window goes through here, so that tests can record the
    // text, caption and icon and choose the answer. The default shows a modal QMessageBox.
    using MessageBoxFunc = std::function<QMessageBox::StandardButton(
        const QString& text, const QString& caption, QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
        QMessageBox::StandardButton defaultButton)>;
    MessageBoxFunc MessageBoxFn;
    QMessageBox::StandardButton MessageBox(const QString& text, const QString& caption, QMessageBox::Icon icon,
                                           QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                           QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

    // Settings fields, at their design values until the settings store applies its own.
    bool FgWindow = false;  // a dropped file brings the window to the front

    // --- components ---
    TBigView* BigView1 = nullptr;
    // The Open dialog, made when first needed: it is costly enough to slow the start-up.
    QFileDialog* OpenDialog1();
    QMenu* File1 = nullptr;
    QAction* Open1 = nullptr;
    QAction* Reload1 = nullptr;
    QAction* N1 = nullptr;
    QAction* Exit1 = nullptr;
    QMenu* Edit1 = nullptr;
    QAction* Copy1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* CopyP1 = nullptr;
    QAction* N7 = nullptr;
    QAction* ReloadP1 = nullptr;

    // The main window's values for its view (also what tavuko-render shows).
    static void ApplyViewDesignValues(TBigView& view);

    // --- operations ---
    void UpdateTitle();
    void OpenFile(const std::string& name, bool addToHistory);
    void ApplyTabStopForFile(const std::string& name);
    // The tab width a file name's extension asks for.
    static int TabStopForFile(const std::string& name);
    // Opens the first of the dropped files, by its full name.
    void DropFiles(const std::vector<std::string>& names);

    // --- form events and commands ---
    void FormCreate();
    void FormShow();
    void FormCloseQuery(bool& canClose);
    void Open1Click();
    void Reload1Click();
    void Exit1Click();
    void Edit1Click();
    void Copy1Click();
    void PopupMenu1Popup();

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    bool event(QEvent* e) override;

private:
    void CreateMenus();
    bool IsEditShortcut(const QKeyEvent& key) const;

    bool shown_ = false;
    QFileDialog* openDialog_ = nullptr;
};
