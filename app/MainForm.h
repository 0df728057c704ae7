#pragma once
// TForm1: the main window. Its whole client area is the text view BigView1; around it are the
// menus and the commands. Each handler is a few lines over the classes that do the work; the
// class is split over files by concern:
//   MainForm.cpp          construction, showing, closing, caption
//   MainFormOpen.cpp      OpenFile, tab width by extension, Open dialog, reload, dropped files,
//                         the encoding a file is read in
//   MainFormMenus.cpp     menu bar, context menu, their enabling, Copy and Exit
//   MainFormKeys.cpp      key map, wheel, scroll operations
//   MainFormHistory.cpp   Back, Forward, the Go menu's entries
//   MainFormFind.cpp      Find, Find next, Find previous
//   MainFormEditor.cpp    the external editor
//   MainFormLink.cpp      open requests from other programs, the mail-client link
//   MainFormSettings.cpp  loading and saving the settings, the settings dialog, about box
//   MainFormHelp.cpp      help and the readme
//   MainFormPlace.cpp     go to line, select all, the status bar
#include <QMainWindow>
#include <QMessageBox>
#include <QString>
#include <array>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/BusyCursor.h"
#include "app/CurrentFile.h"
#include "app/History.h"
#include "app/MailLink.h"
#include "app/ProgramArguments.h"
#include "app/ScrollOps.h"
#include "model/BvLoad.h"
#include "platform/Charset.h"
#include "platform/StartProgram.h"
#include "platform/UserStore.h"
#include "settings/Settings.h"

class QAction;
class QMenu;
class TBigView;
enum class TKeyCommand;
class TFindDlg;
class THelpWindow;
class QUrl;
class TLoadProgress;
class TOpenDialog;
class TDdeServerConv;
class TStatusBar;
class TFollower;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // view: the text view to use; a default one is made when none is given. The window owns it.
    explicit TForm1(TBigView* view = nullptr, QWidget* parent = nullptr);
    ~TForm1() override;

    // What the command line asks for: the file (or standard input) opened when the window is
    // first shown, its encoding, its line at the top, and following it.
    TProgramArguments Arguments;

    // Every message box of the main window goes through here, so that tests can record the
    // text, caption and icon and choose the answer. The default shows a modal QMessageBox.
    using MessageBoxFunc = std::function<QMessageBox::StandardButton(
        const QString& text, const QString& caption, QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
        QMessageBox::StandardButton defaultButton)>;
    MessageBoxFunc MessageBoxFn;
    QMessageBox::StandardButton MessageBox(const QString& text, const QString& caption, QMessageBox::Icon icon,
                                           QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                           QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

    // The settings, at their design values until the settings store applies its own. The view
    // holds the font, colour and line-end values while the program runs; Settings takes them
    // back from it before saving.
    TSettings Settings;
    // The per-user store the settings are loaded from and saved to.
    QString UserStoreFile = platform::TRegistry::DefaultFileName();
    // Display lines per wheel notch, negative for a page per notch; re-read on every
    // activation of the application (AppActivate).
    int WheelLines = 3;
    // The files shown, newest first, and the one shown now (MainFormHistory.cpp).
    THistory History;
    // The encoding chosen for a file, by its name, while the program runs: every later open of
    // that file reads it so. A file without one is read in the encoding its bytes show.
    std::map<std::string, TCharset> FileCharsets;

    // --- components ---
    TBigView* BigView1 = nullptr;
    // The Open dialog, made when first needed: it is costly enough to slow the start-up.
    TOpenDialog* OpenDialog1();
    QMenu* File1 = nullptr;
    QAction* Open1 = nullptr;
    QAction* Reload1 = nullptr;
    QMenu* Code1 = nullptr;  // the encoding submenu
    QAction* CodeAuto1 = nullptr;
    QAction* N10 = nullptr;
    // Its radio items, in the order of charset::kAll.
    std::array<QAction*, std::size(charset::kAll)> CodeItems{};
    QAction* N1 = nullptr;
    QAction* Exit1 = nullptr;
    QMenu* Edit1 = nullptr;
    QAction* Copy1 = nullptr;
    QAction* N4 = nullptr;
    QAction* Find1 = nullptr;
    QAction* FindN1 = nullptr;
    QAction* FindP1 = nullptr;
    QAction* N6 = nullptr;
    QAction* ExecEditor1 = nullptr;
    QMenu* Go1 = nullptr;
    QAction* Back1 = nullptr;
    QAction* Forward1 = nullptr;
    QAction* N11 = nullptr;
    QAction* Follow1 = nullptr;  // a check item: following the end of the file shown
    QAction* N5 = nullptr;
    QAction* HistP[10] = {};  // HistP1 .. HistP10, data (Tag) 1 .. 10
    QMenu* Setting1 = nullptr;
    QAction* EnvSet1 = nullptr;
    QAction* N3 = nullptr;
    QAction* Den8LinkP1 = nullptr;
    QAction* N8 = nullptr;
    QAction* DelReg1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* Topic1 = nullptr;
    QAction* TavukoTxt1 = nullptr;
    QAction* N2 = nullptr;
    QAction* About1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* CopyP1 = nullptr;
    QAction* N7 = nullptr;
    QAction* BackP1 = nullptr;
    QAction* ForwardP1 = nullptr;
    QAction* N9 = nullptr;
    QAction* ReloadP1 = nullptr;
    // Go to line, select all and the status bar's switch (MainFormPlace.cpp).
    QAction* SelectAll1 = nullptr;
    QAction* GoLine1 = nullptr;
    QAction* StatusBar1 = nullptr;

    // --- operations ---
    // The file shown and the one loading; CurrentFileName is the one shown ("" while none is).
    const TCurrentFile& CurrentFile() const { return file_; }
    const std::string& CurrentFileName() const { return file_.Shown(); }
    void UpdateTitle();
    // Opens a file: it loads off the user-interface thread while the window goes on showing the
    // file before; it is shown in one step when loaded. Asked for while a load or a search runs,
    // it runs after them, in the order asked.
    void OpenFile(const std::string& name, bool addToHistory);
    // Gives up the load in progress: everything stays as it was before it.
    void CancelLoad();
    void ApplyTabStopForFile(const std::string& name);
    // The progress over the window during a long load (made when first needed).
    TLoadProgress* LoadProgress();
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
    // The File menu's update: the encoding submenu's states.
    void File1Click();
    // Reads the shown file again in the encoding given, or in the one its bytes show, keeping
    // its file line at the top; the choice holds for the file while the program runs.
    void ReadFileAs(std::optional<TCharset> charset);
    void Exit1Click();
    void Edit1Click();
    void Copy1Click();
    void PopupMenu1Popup();
    // Find (MainFormFind.cpp). FindDlg: the find dialog, made by the program entry after this
    // window and alive until the program ends (none until then). FindText: its search text.
    TFindDlg* FindDlg = nullptr;
    void SetFindDlg(TFindDlg* dialog);
    QString FindText() const;
    void Find1Click();
    void FindN1Click();
    void FindP1Click();
    // The external editor (MainFormEditor.cpp), started through StartProgramFn.
    void ExecEditor1Click();
    TStartProgramFn StartProgramFn = StartDetachedProgram;
    // Keys, wheel and the scroll operations (MainFormKeys.cpp). FormKeyDown takes a
    // virtual-key code and the modifiers held.
    void FormKeyDown(int key, Qt::KeyboardModifiers shift);
    void FormMouseWheelDown();
    void FormMouseWheelUp();
    void AppActivate();
    void ScrollLinesUp(int n);
    void ScrollLinesDown(int n);
    void ScrollToTop();
    void ScrollToEnd();
    void ScrollPageUp();
    void ScrollPageDown();
    // History (MainFormHistory.cpp).
    void AddToHistory(const std::string& name);
    // Back1 and Forward1 enabled as the history allows, after a completed load.
    void UpdateHistoryMoves();
    void Back1Click();
    void Forward1Click();
    void HistPClick(QAction* item);
    // Settings, the settings dialog and the about box (MainFormSettings.cpp).
    void LoadSettings();
    void SaveSettings();
    // Copy's shortcut: Shift+F8 while CcrScroll is on (Ctrl+C then pages), else Ctrl+C.
    void SetCopyShortcut();
    void EnvSet1Click();
    void DelReg1Click();
    void About1Click();
    // The mail-client link (MainFormLink.cpp): whether it is open, toggling it, and sending the
    // mail client one of its two step requests (nothing while unlinked).
    bool MailLinked() const;
    void ToggleMailLink();
    void Den8LinkP1Click();
    void SendMailNext();
    void SendMailPrev();
    TMailLink MailLink;
    // Open requests from other programs (MainFormLink.cpp): the server conversation on the
    // topic "system", serving the program file's service from when the program entry starts it
    // until the window closes; systemExecuteMacro handles one request.
    TDdeServerConv* system = nullptr;
    bool ServeOpenRequests(const std::string& programFile);
    bool systemExecuteMacro(const std::string& request);
    // Closing the window closes the mail link and hands open requests on to the next instance.
    void CloseConversations();
    // Following the end of the file shown as it grows (MainFormFollow.cpp): Follow1Click turns it
    // on and off; it stops when another file is shown.
    void Follow1Click();
    bool Following() const;
    // Help and the readme (MainFormHelp.cpp). ProgramDir: the folder the help and the readme
    // are looked for in (beside it, then in its installation's share/tavuko/); the program's own
    // unless a test chooses another. OpenUrlFn: has the desktop open a file with its program
    // for it (QDesktopServices::openUrl unless a test replaces it); false when that failed.
    QString ProgramDir;
    std::function<bool(const QUrl&)> OpenUrlFn;
    THelpWindow* HelpWindow1 = nullptr;  // made on the first F1
    void Topic1Click();
    void TavukoTxt1Click();
    // Go to line, select all and the status bar (MainFormPlace.cpp). StatusBar1Click turns the
    // bar on or off as the item's check says; StatusBarShown: the bar, or null until first on.
    void GoLine1Click();
    void SelectAll1Click();
    void StatusBar1Click();
    void ApplyStatusBar();
    TStatusBar* StatusBarShown() const { return statusBar_; }
    // Whether the file shown is followed as it grows, for the status bar to say.
    void SetFollowingShown(bool following);

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    void CreateMenus();
    // Whether a key press is the shortcut of an item of menu, enabled or not.
    static bool IsShortcutIn(const QMenu* menu, const QKeyEvent& key);
    bool IsMenuShortcut(const QKeyEvent& key) const;
    bool CancelsLoad(const QKeyEvent& key);
    void KeyPreview(const QKeyEvent& key);
    void RunKeyCommand(TKeyCommand command, int key);
    void Wheel(QWheelEvent& e);
    // The Go menu's item for a history entry; null for entries past the tenth.
    QAction* HistoryItem(int index) const;
    void MoveInHistory(int index);
    // HistoryIndex becomes index, and the check mark moves with it.
    void MarkHistoryEntry(int index);
    // The history entry shown keeps the place the reader leaves it at.
    void LeavePlace();
    // Reads the file shown again, keeping its place.
    void ReadAgain(const std::string& name);
    TWheelNotches wheelNotches_;

    // Opens the first argument once the window is on the screen and painted.
    void OpenFirstArgument(int tries);
    // File line org (from 0) at the top, or the end when the text has no such line.
    void ShowFileLine(int org);

    // Opening (MainFormOpen.cpp). A call asked for while a load, a search or the report of a
    // failed load is in progress waits in pending_ (true: it has been put there).
    bool Deferred(std::function<void()> call);
    void RunPending();
    void StartLoad(TCurrentFile::TLoad load);
    void LoadEnded(TBvLoadFailure failure);
    bool Busy() const;

    // Following (MainFormFollow.cpp): started or stopped as a file is shown; a step reads what
    // came and shows it.
    void FollowShown();
    void FollowStep();
    TFollower* follower_ = nullptr;

    bool shown_ = false;
    TOpenDialog* openDialog_ = nullptr;
    TCurrentFile file_;
    TLoadProgress* loadProgress_ = nullptr;
    std::optional<TBusyCursor> loadCursor_;  // while a load runs
    std::deque<std::function<void()>> pending_;
    bool reporting_ = false;           // the message of a load that failed is up
    bool startupOpenPending_ = false;  // the file named on the command line is still to be opened
    bool runningPending_ = false;
    TStatusBar* statusBar_ = nullptr;
    bool followingShown_ = false;
};
