// The external editor: the configured program started on the current file and top line.
#include <QFile>

#include "app/EditorParams.h"
#include "app/MainForm.h"
#include "bigview/Bigview.h"
#include "platform/CommandLine.h"

void TForm1::ExecEditor1Click()
{
    const QString caption = QStringLiteral("エディタの起動");
    if (Settings.EditorName.isEmpty()) {
        MessageBox(QStringLiteral("エディタが指定されていません。"), caption, QMessageBox::Critical);
        return;
    }
    const std::string params = BuildEditorParams(Settings, CurrentFileName(), BigView1->ViewLineStart());
    // The parameter string as one command line, split as the editor's own start-up would.
    if (!StartProgramFn(QFile::encodeName(Settings.EditorName).toStdString(), SplitCommandLine(params)))
        MessageBox(QStringLiteral("エディタが起動できません。"), caption, QMessageBox::Critical);
}
