#pragma once
// Wakes the computer for the alarm through the first route that works here:
//   1. a CLOCK_REALTIME_ALARM timer of this process (root, or a session that
//      grants CAP_WAKE_ALARM);
//   2. the helper beside the program (alarm-clock-wake), which the package
//      gives that capability: it holds the timer while its input is open, so
//      it ends with the clock, however the clock ends;
//   3. a transient timer of the systemd user manager (SystemdWakeTimer.h).
// The kernel's timers take an absolute time, which a sleep does not stop.

#include <sys/types.h>

#include <string>

#include "app/qt/SystemdWakeTimer.h"
#include "clock/Services.h"

// How much the local clock's offset from UTC grows from `from` to `to`
// (seconds since 1970): 3600 across the spring change to daylight saving
// time, -3600 across the autumn one. The clock counts the time to its alarm
// on the local clock's face, so a wake due across such a change is moved by it.
long long localOffsetChange(long long from, long long to);

class LinuxWakeTimer : public WakeTimer {
  public:
    explicit LinuxWakeTimer(std::string helperPath);
    ~LinuxWakeTimer() override;
    LinuxWakeTimer(const LinuxWakeTimer&) = delete;
    LinuxWakeTimer& operator=(const LinuxWakeTimer&) = delete;

    bool set(std::chrono::system_clock::time_point due) override;
    void cancel() override;

  private:
    bool setOwnTimer(long long due);
    bool startHelper(long long due);
    void stopHelper();

    std::string m_helperPath;
    int m_timer = -1;        // this process's timer
    int m_helperInput = -1;  // the helper's standard input, ours to close
    pid_t m_helper = -1;
    SystemdWakeTimer m_systemd;
};
