// The computer is woken shortly before the alarm, so that a computer put to
// sleep with the alarm armed (a closed lid, a suspend) does not sleep through
// it. The timer is set at arming and removed at switch-off, at the ring and
// when the clock closes; where nothing can wake the computer the person is
// told once.

#include <chrono>

#include "clock/frmMain.h"
#include "log/Log.h"
#include "ui/Texts.h"

namespace {

// The computer wakes one minute before the alarm: a resume and the sound
// server's return take seconds, and the clock ticks at once on waking, so a
// minute leaves room to spare while keeping the computer up only briefly
// before the alarm (at most two minutes are wanted).
constexpr std::chrono::seconds kWakeLead{60};
constexpr int kSecondsPerDay = 24 * 60 * 60;

}  // namespace

std::chrono::system_clock::time_point wakeTimeFor(int alarmMinute, LocalTime now,
                                                  std::chrono::system_clock::time_point at) {
    const int nowSecond = (now.hour * 60 + now.minute) * 60 + now.second;
    int untilAlarm = (alarmMinute * 60 - nowSecond) % kSecondsPerDay;
    if (untilAlarm <= 0) untilAlarm += kSecondsPerDay;
    return at + std::chrono::seconds(untilAlarm) - kWakeLead;
}

void frmMain::setWakeTimer() {
    if (!m_platform.wake || !m_alarmMinute) return;
    const std::chrono::system_clock::time_point due =
        wakeTimeFor(*m_alarmMinute, m_platform.clock.now(), std::chrono::system_clock::now());
    if (m_platform.wake->set(due)) return;
    logDebug(LogCategory::clock, "nothing can wake the computer for the alarm");
    if (m_toldCannotWake) return;
    m_toldCannotWake = true;
    tell(texts::cannotWakeMessage(strLang));
}

void frmMain::removeWakeTimer() {
    if (m_platform.wake) m_platform.wake->cancel();
}
