// The main window: construction with its design values, first showing, closing and caption.
#include "app/MainForm.h"
#include "app/ViewSettings.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QMenuBar>
#include <QScrollBar>
#include <QShowEvent>
#include <QTimer>
#include <QWindow>

#include "bigview/Bigview.h"
#include "platform/FileNames.h"
#include "settings/Settings.h"

namespace {
constexpr int DesignClientWidth = 522;
constexpr int DesignClientHeight = 394;
}  // namespace

TForm1::TForm1(TBigView* view, QWidget* parent) : QMainWindow(parent), BigView1(view ? view : new TBigView)
{
    setWindowTitle(QStringLiteral("Tavuko"));
    setCentralWidget(BigView1);
    ApplyViewDesignValues(*BigView1);
    CreateMenus();
    FormCreate();

    // The client area below the menu bar gets the design size; the window system places it.
    resize(DesignClientWidth, DesignClientHeight + menuBar()->sizeHint().height());
    BigView1->setFocus();
}

TForm1::~TForm1() = default;

void TForm1::FormCreate()
{
    // A top-level QMainWindow has its own taskbar entry and minimises to it by itself, so no
    // window-ownership plumbing is needed.
    // The help and the readme are looked for from the program's own folder.
    ProgramDir = QCoreApplication::applicationDirPath();
    // Keys of the key map that are no menu shortcuts, shown beside their commands.
    ExecEditor1->setText(ExecEditor1->text() + QStringLiteral("\tShift+Enter"));
    Back1->setText(Back1->text() + QStringLiteral("\tAlt+←"));
    Forward1->setText(Forward1->text() + QStringLiteral("\tAlt+→"));
    setAcceptDrops(true);
    // Key preview, and the wheel over the view and its scroll bars (MainFormKeys.cpp).
    BigView1->installEventFilter(this);
    BigView1->VScrollBar()->installEventFilter(this);
    BigView1->HScrollBar()->installEventFilter(this);
    // What waited for a search runs once it is over.
    connect(
        BigView1, &TBigView::released, this, [this] { RunPending(); }, Qt::QueuedConnection);
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive) AppActivate();
    });
}

void TForm1::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    if (!shown_ && !e->spontaneous()) {
        shown_ = true;
        FormShow();
    }
}

void TForm1::FormShow()
{
    LoadSettings();
    // The window is painted first, so that a long load runs in a window on the screen. Requests
    // from other programs come after the file it was started on, whatever arrives first.
    if (Arguments.file.empty() && !Arguments.input) return;
    startupOpenPending_ = true;
    QMetaObject::invokeMethod(
        this, [this] { OpenFirstArgument(0); }, Qt::QueuedConnection);
}

void TForm1::OpenFirstArgument(int tries)
{
    // Waits for the window system to show the window, for a second at most.
    if (windowHandle() && !windowHandle()->isExposed() && tries < 100) {
        QTimer::singleShot(10, this, [this, tries] { OpenFirstArgument(tries + 1); });
        return;
    }
    repaint();  // painted now, and on the screen
    // Ahead of whatever waited for it.
    startupOpenPending_ = false;
    const TProgramArguments& a = Arguments;
    Follow1->setChecked(a.follow);
    if (a.charset && !a.input) FileCharsets[a.file] = *a.charset;
    // Followed, it opens at its end, unless a line is asked for.
    TCurrentFile::TLoad load{a.file, !a.input, -1, [this, line = a.line] {
                                 if (line > 0) ShowFileLine(line - 1);
                                 else if (Follow1->isChecked()) ScrollToEnd();
                             }};
    load.input = a.input;
    StartLoad(std::move(load));
}

void TForm1::ShowFileLine(int org)
{
    if (org >= BigView1->GetCountOrg()) ScrollToEnd();
    else BigView1->SetViewLineStart(BigView1->ConvertIndexFromOrg(org));
}

void TForm1::closeEvent(QCloseEvent* e)
{
    // A load in progress ends with the window, and so do the opens that waited for it.
    pending_.clear();
    CancelLoad();
    bool canClose = true;
    FormCloseQuery(canClose);
    if (canClose) e->accept();
    else e->ignore();
}

void TForm1::FormCloseQuery(bool& canClose)
{
    canClose = true;
    // The conversations end even when the settings were deleted: open requests go on to the
    // next instance as the program ends.
    CloseConversations();
    if (DelReg1->data().toInt() == 1) return;  // the settings were deleted: nothing is saved
    // A maximised window is restored first, so that its normal geometry is what is saved; the
    // window system restores it later, so the geometry is put back here at once.
    if (isMaximized()) {
        const QRect normal = normalGeometry();
        showNormal();
        setGeometry(normal);
    }
    SaveSettings();
}

void TForm1::UpdateTitle()
{
    // The file shown names the window, not the one loading.
    const std::string& shown = CurrentFileName();
    QString title = file_.ShownInput() ? QStringLiteral("(標準入力) - Tavuko")
                    : shown.empty()    ? QStringLiteral("Tavuko")
                                       : platform::DisplayFileName(shown) + QStringLiteral(" - Tavuko");
    const QString findText = FindText();
    if (!findText.isEmpty()) title += QStringLiteral(" (検索\"") + findText + QStringLiteral("\")");
    setWindowTitle(title);
}

QMessageBox::StandardButton TForm1::MessageBox(const QString& text, const QString& caption, QMessageBox::Icon icon,
                                               QMessageBox::StandardButtons buttons,
                                               QMessageBox::StandardButton defaultButton)
{
    if (MessageBoxFn) return MessageBoxFn(text, caption, icon, buttons, defaultButton);
    QMessageBox box(icon, caption, text, buttons, this);
    if (defaultButton != QMessageBox::NoButton) box.setDefaultButton(defaultButton);
    return QMessageBox::StandardButton(box.exec());
}
