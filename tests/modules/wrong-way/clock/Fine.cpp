// Includes that point down the module order pass.
#include "clock/Services.h"
#include "speech/SpokenTime.h"
