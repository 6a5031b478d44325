#include "app/qt/WallClockTicker.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>

#include "app/qt/QtLog.h"

namespace {

timespec wallClockNow() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return now;
}

}  // namespace

WallClockTicker::WallClockTicker(std::function<void()> onSecond, QObject* parent)
    : QObject(parent), m_onSecond(std::move(onSecond)) {
    m_fd = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd < 0) {
        // Without one, a plain timer set to the next second's start each time.
        qCWarning(lcUi) << "no wall-clock timer:" << strerror(errno);
        m_fallback.setSingleShot(true);
        m_fallback.setTimerType(Qt::PreciseTimer);
        connect(&m_fallback, &QTimer::timeout, this, [this] { runAndArm(); });
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
    runAndArm();
}

void WallClockTicker::setEveryMinute(bool everyMinute) {
    if (everyMinute == m_everyMinute) return;
    m_everyMinute = everyMinute;
    armForNext(wallClockNow().tv_sec);
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
    runAndArm();
}

void WallClockTicker::runAndArm() {
    // The next second is the one after the second the callback began in: a
    // callback that runs past a whole second must not make it skip that second.
    const std::time_t began = wallClockNow().tv_sec;
    m_onSecond();
    armForNext(began);
}

void WallClockTicker::armForNext(std::time_t after) {
    if (!m_running) return;
    // Minutes of the epoch are the local clock's minutes: zones differ by whole minutes.
    const std::time_t due = m_everyMinute ? (after / 60 + 1) * 60 : after + 1;
    if (!m_notifier) {
        const timespec now = wallClockNow();
        const long long wait = (due - now.tv_sec) * 1000LL - now.tv_nsec / 1'000'000;
        m_fallback.start(static_cast<int>(std::max(0LL, wait)));
        return;
    }
    itimerspec next{};
    // A second already begun fires at once.
    next.it_value.tv_sec = due;
    // A fraction of a millisecond into the second, so that the time read in
    // the tick is surely the new second's.
    next.it_value.tv_nsec = 200'000;
    if (::timerfd_settime(m_fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &next, nullptr) != 0)
        qCWarning(lcUi) << "wall-clock timer not armed:" << strerror(errno);
}
