#include "app/qt/LinuxWakeTimer.h"

#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/timerfd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "app/qt/QtLog.h"

extern char** environ;

namespace {

// How long the helper may take to say it holds the timer: it answers within
// milliseconds; this bounds a helper that hangs.
constexpr int kHelperAnswerMs = 1000;

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

long long utcOffsetAt(long long seconds) {
    const time_t t = static_cast<time_t>(seconds);
    tm local{};
    return ::localtime_r(&t, &local) ? local.tm_gmtoff : 0;
}

}  // namespace

long long localOffsetChange(long long from, long long to) {
    return utcOffsetAt(to) - utcOffsetAt(from);
}

LinuxWakeTimer::LinuxWakeTimer(std::string helperPath) : m_helperPath(std::move(helperPath)) {}

LinuxWakeTimer::~LinuxWakeTimer() {
    cancel();
}

bool LinuxWakeTimer::set(std::chrono::system_clock::time_point due) {
    cancel();
    const auto epochSeconds = [](std::chrono::system_clock::time_point t) {
        return std::chrono::duration_cast<std::chrono::seconds>(t.time_since_epoch()).count();
    };
    const long long now = epochSeconds(std::chrono::system_clock::now());
    long long seconds = epochSeconds(due);
    seconds -= localOffsetChange(now, seconds);
    if (setOwnTimer(seconds) || startHelper(seconds) || m_systemd.set(seconds)) return true;
    qCDebug(lcClock) << "no wake timer: no CAP_WAKE_ALARM, no helper that has it, no systemd user "
                        "manager that can wake the computer";
    return false;
}

void LinuxWakeTimer::cancel() {
    if (m_timer >= 0) qCDebug(lcClock) << "wake timer removed";
    closeFd(m_timer);
    stopHelper();
    m_systemd.cancel();
}

bool LinuxWakeTimer::setOwnTimer(long long due) {
    const int timer = ::timerfd_create(CLOCK_REALTIME_ALARM, TFD_CLOEXEC);
    if (timer < 0) {
        qCDebug(lcClock) << "no wake timer of our own:" << std::strerror(errno);
        return false;
    }
    itimerspec when{};
    when.it_value.tv_sec = static_cast<time_t>(due);
    if (::timerfd_settime(timer, TFD_TIMER_ABSTIME, &when, nullptr) != 0) {
        qCDebug(lcClock) << "the wake timer cannot be set:" << std::strerror(errno);
        ::close(timer);
        return false;
    }
    m_timer = timer;
    qCDebug(lcClock) << "wake timer set for" << due;
    return true;
}

bool LinuxWakeTimer::startHelper(long long due) {
    if (::access(m_helperPath.c_str(), X_OK) != 0) return false;
    // A socket for its input, so a write to a helper that has gone raises no SIGPIPE.
    int input[2] = {-1, -1};
    int answer[2] = {-1, -1};
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, input) != 0) return false;
    if (::pipe2(answer, O_CLOEXEC) != 0) {
        closeFd(input[0]);
        closeFd(input[1]);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[1], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, answer[1], STDOUT_FILENO);
    // Nothing else of the clock's reaches it.
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    char* argv[] = {m_helperPath.data(), nullptr};
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, m_helperPath.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    closeFd(input[1]);
    closeFd(answer[1]);
    if (spawned != 0) {
        closeFd(input[0]);
        closeFd(answer[0]);
        return false;
    }
    m_helper = pid;
    m_helperInput = input[0];
    const std::string line = std::to_string(due) + "\n";
    bool held = ::send(m_helperInput, line.data(), line.size(), MSG_NOSIGNAL) ==
                static_cast<ssize_t>(line.size());
    char reply[2] = {};
    pollfd ready{answer[0], POLLIN, 0};
    held = held && ::poll(&ready, 1, kHelperAnswerMs) == 1 &&
           ::read(answer[0], reply, sizeof reply) == 2 && reply[0] == '1' && reply[1] == '\n';
    closeFd(answer[0]);
    if (!held) {
        qCDebug(lcClock) << "the wake helper could not set the timer";
        stopHelper();
        return false;
    }
    qCDebug(lcClock) << "wake timer set for" << due << "by the helper, process" << pid;
    return true;
}

void LinuxWakeTimer::stopHelper() {
    if (m_helper < 0) return;
    // Its input closed, it removes the timer and ends.
    closeFd(m_helperInput);
    int status = 0;
    while (::waitpid(m_helper, &status, 0) < 0 && errno == EINTR) {
    }
    qCDebug(lcClock) << "wake helper ended";
    m_helper = -1;
}
