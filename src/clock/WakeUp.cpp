// The computer is woken shortly before the alarm, so that a computer put to
// sleep with the alarm armed (a closed lid, a suspend) does not sleep through
// it. The timer is set at arming and removed at switch-off, at the ring and
// when the clock closes; where nothing can wake the computer the person is
// told once.

#include <chrono>

#include "clock/AlarmTime.h"
#include "clock/frmMain.h"
#include "log/Log.h"
#include "ui/Texts.h"

void frmMain::setWakeTimer() {
    if (!m_platform.wake || !m_alarmMinute) return;
    const Instant due =
        wakeTimeFor(*m_alarmMinute, m_platform.clock.now(), m_platform.clock.instant());
    if (m_platform.wake->set(due)) return;
    logDebug(LogCategory::clock, "nothing can wake the computer for the alarm");
    if (m_toldCannotWake) return;
    m_toldCannotWake = true;
    tell(texts::cannotWakeMessage(strLang));
}

void frmMain::removeWakeTimer() {
    if (m_platform.wake) m_platform.wake->cancel();
}
