// Not built yet: the commands of this file do nothing.
#include "app/MainForm.h"

void TForm1::ExecEditor1Click() {}
