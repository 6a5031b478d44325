// The computer is kept from sleeping while the alarm is armed, so that the alarm
// minute is not slept through; the lock goes when the alarm is switched off or the
// clock closes.

#include "clock/frmMain.h"

void frmMain::keepAwake() {
    if (m_platform.sleep) m_platform.sleep->inhibit("An alarm is set for " + strAlarm);
}

void frmMain::allowSleep() {
    if (m_platform.sleep) m_platform.sleep->release();
}
