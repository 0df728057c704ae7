// Not built yet: the commands of this file do nothing.
#include "app/MainForm.h"

QString TForm1::FindText() const { return {}; }
void TForm1::Find1Click() {}
void TForm1::FindN1Click() {}
void TForm1::FindP1Click() {}
