#include "app/qt/WallClockTicker.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <QTime>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>

#include "app/qt/QtLog.h"

WallClockTicker::WallClockTicker(std::function<void()> onSecond, QObject* parent)
    : QObject(parent), m_onSecond(std::move(onSecond)) {
    m_fd = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd < 0) {
        // Without one, a plain timer set to the next second's start each time.
        qCWarning(lcUi) << "no wall-clock timer:" << strerror(errno);
        m_fallback.setSingleShot(true);
        m_fallback.setTimerType(Qt::PreciseTimer);
        connect(&m_fallback, &QTimer::timeout, this, [this] {
            m_onSecond();
            armForNext();
        });
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    m_notifier->setEnabled(false);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] { fired(); });
}

WallClockTicker::~WallClockTicker() {
    m_notifier.reset();
    if (m_fd >= 0) ::close(m_fd);
}

void WallClockTicker::start() {
    m_running = true;
    if (m_notifier) m_notifier->setEnabled(true);
    m_onSecond();
    armForNext();
}

void WallClockTicker::setEveryMinute(bool everyMinute) {
    if (everyMinute == m_everyMinute) return;
    m_everyMinute = everyMinute;
    armForNext();
}

void WallClockTicker::stop() {
    m_running = false;
    m_fallback.stop();
    if (!m_notifier) return;
    m_notifier->setEnabled(false);
    const itimerspec off{};
    ::timerfd_settime(m_fd, 0, &off, nullptr);
}

void WallClockTicker::fired() {
    std::uint64_t expirations = 0;
    // ECANCELED: the clock was set; EAGAIN: nothing to read after all. Either
    // way the time is read afresh and the next second armed.
    if (::read(m_fd, &expirations, sizeof expirations) < 0 && errno == EAGAIN) return;
    m_onSecond();
    armForNext();
}

void WallClockTicker::armForNext() {
    if (!m_running) return;
    if (!m_notifier) {
        const QTime now = QTime::currentTime();
        m_fallback.start((m_everyMinute ? (59 - now.second()) * 1000 : 0) + 1000 - now.msec());
        return;
    }
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    itimerspec next{};
    // Minutes of the epoch are the local clock's minutes: zones differ by whole minutes.
    next.it_value.tv_sec = m_everyMinute ? (now.tv_sec / 60 + 1) * 60 : now.tv_sec + 1;
    // A fraction of a millisecond into the second, so that the time read in
    // the tick is surely the new second's.
    next.it_value.tv_nsec = 200'000;
    if (::timerfd_settime(m_fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &next, nullptr) != 0)
        qCWarning(lcUi) << "wall-clock timer not armed:" << strerror(errno);
}
