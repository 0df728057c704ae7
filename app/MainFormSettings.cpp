// Not built yet: the commands of this file do nothing.
#include "app/MainForm.h"

void TForm1::EnvSet1Click() {}
void TForm1::DelReg1Click() {}
void TForm1::About1Click() {}
