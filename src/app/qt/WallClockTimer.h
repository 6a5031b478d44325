#pragma once
// One timer at a moment of the wall clock, calling back on the window's
// thread. A timerfd on CLOCK_REALTIME fires at the moment itself; when the
// system clock is set (by hand, by NTP, on resume) the kernel cancels it and
// the callback runs at once, to read the time afresh.

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

#include "clock/Services.h"

class WallClockTimer : public QObject {
  public:
    explicit WallClockTimer(std::function<void()> onDue, QObject* parent = nullptr);
    ~WallClockTimer() override;
    WallClockTimer(const WallClockTimer&) = delete;
    WallClockTimer& operator=(const WallClockTimer&) = delete;

    // Fires once at `due` (at once when it has passed), replacing the moment
    // armed before; none stops it.
    void arm(std::optional<Instant> due);

  private:
    std::function<void()> m_onDue;
    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QTimer m_fallback;
};
