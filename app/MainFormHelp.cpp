// Help and the readme: the help file in the program's own help window, and the readme opened by
// the desktop's program for text files.
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include "app/MainForm.h"
#include "dialogs/HelpWindow.h"
#include "platform/ProgramFiles.h"

void TForm1::Topic1Click()
{
    if (!HelpWindow1) HelpWindow1 = new THelpWindow(this);
    HelpWindow1->ShowContents(ProgramFile(ProgramDir, QStringLiteral("TAVUKO.HTML")));
}

void TForm1::TavukoTxt1Click()
{
    const QString readme = ProgramFile(ProgramDir, QStringLiteral("TAVUKO.TXT"));
    // The desktop's opener is started whether or not the file exists, so a missing readme is
    // caught here.
    const QUrl url = QUrl::fromLocalFile(readme);
    const bool opened = QFileInfo(readme).isFile() && (OpenUrlFn ? OpenUrlFn(url) : QDesktopServices::openUrl(url));
    if (!opened)
        MessageBox(QStringLiteral("TAVUKO.TXTが開けません。"), QStringLiteral("TAVUKO.TXTを開く"),
                   QMessageBox::Critical);
}
