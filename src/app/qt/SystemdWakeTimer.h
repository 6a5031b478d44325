#pragma once
// A wake timer of the systemd user manager, which from systemd 254 on holds
// CAP_WAKE_ALARM for its own units: a transient timer with WakeSystem=yes,
// started over the session bus (StartTransientUnit) and stopped (StopUnit)
// when the clock removes it. A manager too old to wake the computer is not
// asked. The manager keeps a timer whose clock was killed until it elapses:
// at worst the computer wakes once at the alarm time for nothing.

#include <QString>

class SystemdWakeTimer {
  public:
    // True when the user manager took the timer for `due` (seconds since 1970).
    bool set(long long due);
    void cancel();

  private:
    QString m_unit;  // the timer unit while one is set
    int m_count = 0;
};
