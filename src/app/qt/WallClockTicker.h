#pragma once
// Calls back at each whole second (or minute) of the wall clock, on the window's
// thread.
// A timerfd on CLOCK_REALTIME, armed for the next whole second, fires on the
// second itself; when the system clock is set (by hand, by NTP, or on resume
// from suspend) the kernel cancels it and the callback runs at once.

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <ctime>
#include <functional>
#include <memory>

class WallClockTicker : public QObject {
  public:
    explicit WallClockTicker(std::function<void()> onSecond, QObject* parent = nullptr);
    ~WallClockTicker() override;
    WallClockTicker(const WallClockTicker&) = delete;
    WallClockTicker& operator=(const WallClockTicker&) = delete;

    // Runs the callback now, then at every whole second.
    void start();
    void stop();
    // Only at whole minutes (nothing shows the seconds), or at every second.
    void setEveryMinute(bool everyMinute);
    bool everyMinute() const { return m_everyMinute; }

  private:
    void fired();
    void runAndArm();
    void armForNext(std::time_t after);

    std::function<void()> m_onSecond;
    int m_fd = -1;
    bool m_running = false;
    bool m_everyMinute = false;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QTimer m_fallback;
};
