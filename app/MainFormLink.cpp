// Not built yet: the commands of this file do nothing.
#include "app/MainForm.h"

bool TForm1::MailLinked() const { return false; }
void TForm1::ToggleMailLink() {}
void TForm1::Den8LinkP1Click() {}
void TForm1::SendMailNext() {}
void TForm1::SendMailPrev() {}
