// alarm-clock-wake: holds a timer that wakes the computer from sleep, for a
// clock that may not set one itself. It needs only the CAP_WAKE_ALARM
// capability (given to this file by the package) and uses nothing else.
//
// It reads one due time from its standard input (WakeInput.h), sets a
// CLOCK_REALTIME_ALARM timer for that moment, answers "1" and a line feed on
// its standard output, then waits for its input to close: the clock closes
// it to remove the timer, and so does the clock's end, however it ends. Any
// other input, or a timer that cannot be set, ends it at once with status 1.

#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "wakehelper/WakeInput.h"

namespace {

// Reads one line of at most kLongestLine bytes, a byte at a time so that
// nothing past it is taken.
bool readLine(char* line, std::size_t& size) {
    size = 0;
    while (size < wakeinput::kLongestLine) {
        const ssize_t got = read(STDIN_FILENO, line + size, 1);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        if (line[size++] == '\n') return true;
    }
    return false;
}

}  // namespace

int main() {
    char line[wakeinput::kLongestLine];
    std::size_t size = 0;
    if (!readLine(line, size)) return 1;
    const std::optional<long long> due = wakeinput::parseDueTime(std::string_view(line, size));
    if (!due) return 1;

    const int timer = timerfd_create(CLOCK_REALTIME_ALARM, TFD_CLOEXEC);
    if (timer < 0) return 1;
    itimerspec when{};
    when.it_value.tv_sec = static_cast<time_t>(*due);
    if (timerfd_settime(timer, TFD_TIMER_ABSTIME, &when, nullptr) != 0) return 1;
    if (write(STDOUT_FILENO, "1\n", 2) != 2) return 1;

    // Held until the input closes; a byte more is not accepted.
    char more = 0;
    for (;;) {
        const ssize_t got = read(STDIN_FILENO, &more, 1);
        if (got < 0 && errno == EINTR) continue;
        return got == 0 ? 0 : 1;
    }
}
