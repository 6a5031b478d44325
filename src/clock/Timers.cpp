// The clock's two timers, kept here rather than by each front end: when the
// next tick is due and when the delayed mute falls due. A front end arms one
// timer of its platform for nextDue() and calls timersDue() when it fires.

#include <algorithm>
#include <chrono>

#include "clock/frmMain.h"

namespace {

using std::chrono::milliseconds;

// A millisecond into the second (or minute), so that the time read then is
// surely the new one.
constexpr milliseconds kIntoTheSecond{1};

}  // namespace

void frmMain::startMuteTimer() {
    tmrSet.Enabled = true;
    m_muteDue = m_platform.clock.instant() + milliseconds(tmrSet.Interval);
}

std::optional<Instant> frmMain::tickDue(Instant now) const {
    if (!tmrTime.Enabled) return std::nullopt;
    if (!m_lastTick) return now;
    // Hidden and not ringing, nothing needs the seconds: the alarm's minute is
    // all there is to catch. Minutes of the epoch are the local clock's
    // minutes, as zones differ by whole minutes.
    const milliseconds period =
        m_platform.window.isVisible() || blnAlarm ? milliseconds(1000) : milliseconds(60000);
    // After the second the last tick began in, so a slow tick skips none.
    const milliseconds since =
        std::chrono::duration_cast<milliseconds>(m_lastTick->time_since_epoch());
    const Instant due{since - since % period + period + kIntoTheSecond};
    // A clock set back would hold the tick off by as much: it ticks at once.
    return due - now > period + kIntoTheSecond ? now : due;
}

std::optional<Instant> frmMain::nextDue() {
    const Instant now = m_platform.clock.instant();
    std::optional<Instant> due = tickDue(now);
    if (!tmrSet.Enabled) return due;
    // A clock set back holds the mute off no longer than its interval.
    m_muteDue = std::min(m_muteDue, now + milliseconds(tmrSet.Interval));
    return due ? std::min(*due, m_muteDue) : m_muteDue;
}

bool frmMain::timersDue() {
    const Instant now = m_platform.clock.instant();
    if (tmrSet.Enabled && m_muteDue <= now) tmrSet_Timer();
    const std::optional<Instant> tick = tickDue(now);
    // A tick never nests (an announcement lets events run inside one).
    if (!tick || *tick > now || m_inTick) return false;
    tmrTime_Timer();
    return true;
}
