// A bottom module that reaches up into the clock: the include check refuses it.
#include "clock/frmMain.h"
#include "lang/Languages.h"
