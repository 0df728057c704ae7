#include "dialogs/HelpWindow.h"

#include <QAction>
#include <QFileInfo>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>

namespace {
constexpr int DesignWidth = 640;
constexpr int DesignHeight = 600;
}  // namespace

THelpWindow::THelpWindow(QWidget* owner) : QMainWindow(owner, Qt::Window)
{
    setWindowTitle(QStringLiteral("Tavuko ヘルプ"));
    Browser = new QTextBrowser(this);
    setCentralWidget(Browser);

    QToolBar* bar = addToolBar(QStringLiteral("ヘルプ"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    Contents1 = bar->addAction(QStringLiteral("目次(&C)"), this, [this] { ShowContents(helpFile_); });
    Back1 = bar->addAction(QStringLiteral("戻る(&B)"), Browser, &QTextBrowser::backward);
    Back1->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Left));
    Back1->setEnabled(false);
    Forward1 = bar->addAction(QStringLiteral("進む(&F)"), Browser, &QTextBrowser::forward);
    Forward1->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Right));
    Forward1->setEnabled(false);
    Close1 = bar->addAction(QStringLiteral("閉じる"), this, &QWidget::close);
    Close1->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(Browser, &QTextBrowser::backwardAvailable, Back1, &QAction::setEnabled);
    connect(Browser, &QTextBrowser::forwardAvailable, Forward1, &QAction::setEnabled);

    resize(DesignWidth, DesignHeight);
}

void THelpWindow::ShowContents(const QString& helpFile)
{
    helpFile_ = helpFile;
    if (QFileInfo(helpFile).isFile()) {
        QUrl url = QUrl::fromLocalFile(QFileInfo(helpFile).absoluteFilePath());
        url.setFragment(QString::fromLatin1(ContentsAnchor));
        Browser->setSource(url);
        // The same page at the same anchor moves nowhere by itself once the user has scrolled.
        Browser->scrollToAnchor(QString::fromLatin1(ContentsAnchor));
    } else {
        Browser->clearHistory();
        Browser->setHtml(QStringLiteral("<p>ヘルプファイル %1 が見つかりません。</p>").arg(helpFile.toHtmlEscaped()));
    }
    show();
    raise();
    activateWindow();
}
