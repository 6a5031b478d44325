// Session end: the system asks whether it may end the session (log out, shut
// down) before it does, and may still cancel. The ask changes nothing that
// cannot be undone: the person's mute is put back for the while, and taken
// again if the session goes on.

#include "clock/frmMain.h"

void frmMain::lendMuteBack() {
    if (!m_mute.held()) return;
    m_mute.putBack();
    m_muteLent = true;
}

void frmMain::takeMuteAgain() {
    if (!m_muteLent) return;
    m_muteLent = false;
    // Only while the alarm still waits, as the mute after arming.
    if (armed() && !blnAlarm) m_mute.muteWhileWaiting();
}
