#include "app/qt/WallClockTimer.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>

#include "app/qt/QtLog.h"

WallClockTimer::WallClockTimer(std::function<void()> onDue, QObject* parent)
    : QObject(parent), m_onDue(std::move(onDue)) {
    m_fallback.setSingleShot(true);
    m_fallback.setTimerType(Qt::PreciseTimer);
    connect(&m_fallback, &QTimer::timeout, this, [this] { m_onDue(); });
    m_fd = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd < 0) {
        // Without one, a plain timer for the time left.
        qCWarning(lcUi) << "no wall-clock timer:" << strerror(errno);
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] {
        std::uint64_t expirations = 0;
        // ECANCELED: the clock was set; EAGAIN: nothing to read after all.
        if (::read(m_fd, &expirations, sizeof expirations) < 0 && errno == EAGAIN) return;
        m_onDue();
    });
}

WallClockTimer::~WallClockTimer() {
    m_notifier.reset();
    if (m_fd >= 0) ::close(m_fd);
}

void WallClockTimer::arm(std::optional<Instant> due) {
    using namespace std::chrono;
    if (!m_notifier) {
        if (!due) return m_fallback.stop();
        const auto left = duration_cast<milliseconds>(*due - system_clock::now()).count();
        return m_fallback.start(static_cast<int>(std::clamp<long long>(left, 0, 3'600'000)));
    }
    itimerspec next{};
    if (due) {
        // A moment already past fires at once (0 would disarm the timer).
        const nanoseconds since = std::max(due->time_since_epoch(), nanoseconds(1));
        next.it_value.tv_sec = static_cast<time_t>(duration_cast<seconds>(since).count());
        next.it_value.tv_nsec = static_cast<long>((since % seconds(1)).count());
    }
    if (::timerfd_settime(m_fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &next, nullptr) != 0)
        qCWarning(lcUi) << "wall-clock timer not armed:" << strerror(errno);
}
