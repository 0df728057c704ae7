// Not built yet: the commands of this file do nothing.
#include "app/MainForm.h"

void TForm1::Den8LinkP1Click() {}
