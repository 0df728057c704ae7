// The external editor: the configured program started on the current file and top line.
#include <QFile>

#include "app/EditorParams.h"
#include "app/MainForm.h"
#include "bigview/Bigview.h"

void TForm1::ExecEditor1Click()
{
    if (file_.ShownInput()) return;  // no file to open (Shift+Enter reaches here too)
    const QString caption = QStringLiteral("エディタの起動");
    if (Settings.EditorName.isEmpty()) {
        MessageBox(QStringLiteral("エディタが指定されていません。"), caption, QMessageBox::Critical);
        return;
    }
    const std::vector<std::string> params = BuildEditorParams(Settings, CurrentFileName(), BigView1->ViewLineStart());
    if (!StartProgramFn(QFile::encodeName(Settings.EditorName).toStdString(), params))
        MessageBox(QStringLiteral("エディタが起動できません。"), caption, QMessageBox::Critical);
}
