// Not built yet: the commands of this file do nothing.
#include "app/MainForm.h"

void TForm1::Back1Click() {}
void TForm1::Forward1Click() {}
void TForm1::HistPClick(QAction*) {}
