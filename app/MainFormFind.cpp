// Find, Find next and Find previous: the find dialog shown modally, or its searches without it.
#include <QLineEdit>

#include "app/MainForm.h"
#include "dialogs/FindDlg.h"

void TForm1::SetFindDlg(TFindDlg* dialog) { FindDlg = dialog; }

QString TForm1::FindText() const { return FindDlg ? FindDlg->Edit1->text() : QString(); }

void TForm1::Find1Click()
{
    if (!Find1->isEnabled() || !FindDlg) return;
    FindDlg->exec();
    UpdateTitle();
}

void TForm1::FindN1Click()
{
    if (FindN1->isEnabled() && FindDlg) FindDlg->OKBtnClick();
}

void TForm1::FindP1Click()
{
    if (FindP1->isEnabled() && FindDlg) FindDlg->FindBackward();
}
