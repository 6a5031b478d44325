#include "app/qt/SingleInstance.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "app/qt/QtLog.h"

namespace {

constexpr int kWaitMs = 1000;
constexpr char kRaise[] = "raise ";

// The display the clock shows on: the Wayland socket when there is one (it is
// the same session whichever platform Qt uses), else the X display without its
// screen number.
QString displayKey() {
    QString display = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (display.isEmpty()) {
        display = qEnvironmentVariable("DISPLAY");
        // ":0.1" and ":0" are one display.
        const qsizetype dot = display.lastIndexOf('.');
        if (dot >= 0 && dot + 1 < display.size() &&
            std::all_of(display.begin() + dot + 1, display.end(),
                        [](QChar c) { return c.isDigit(); }))
            display.truncate(dot);
    }
    if (display.isEmpty()) display = "none";
    for (QChar& c : display)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != '_' && c != '.' && c != '-')
            c = '_';
    return display;
}

QByteArray activationToken() {
    QByteArray token = qgetenv("XDG_ACTIVATION_TOKEN");
    if (token.isEmpty()) token = qgetenv("DESKTOP_STARTUP_ID");
    return token;
}

// The socket's address; false when the path does not fit.
bool addressOf(const QString& name, sockaddr_un& address) {
    const QByteArray path = QFile::encodeName(name);
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= static_cast<qsizetype>(sizeof address.sun_path)) return false;
    std::memcpy(address.sun_path, path.constData(), path.size());
    return true;
}

}  // namespace

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent), m_name(std::move(name)) {}

SingleInstance::~SingleInstance() {
    for (auto& [fd, caller] : m_callers) {
        caller.notifier.reset();
        ::close(fd);
    }
    m_listening.reset();
    if (m_fd >= 0) {
        ::close(m_fd);
        ::unlink(QFile::encodeName(m_name).constData());
    }
}

QString SingleInstance::serverName() {
    const QString base = "io.github.alarmclock.AlarmClock-" + displayKey();
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists()) return runtime + '/' + base;
    return QDir::tempPath() + '/' + base + '-' + QString::number(::getuid());
}

bool SingleInstance::handOverToRunningClock() {
    // Two clocks started at once must not both find no one and both listen.
    QLockFile lock(m_name + ".lock");
    lock.setStaleLockTime(0);  // a lock of a dead process is taken over at once
    lock.tryLock(kWaitMs);
    if (askRunningClock()) return true;
    listen();
    return false;
}

bool SingleInstance::askRunningClock() {
    sockaddr_un address;
    if (!addressOf(m_name, address)) return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    // A socket file whose clock died refuses the connection at once.
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return false;
    }
    // The running clock reads it when it is free (it may be speaking the time);
    // the few bytes fit in the socket's buffer, and a clock that hangs cannot
    // hold this start for more than a moment.
    const timeval wait{kWaitMs / 1000, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
    const QByteArray message = kRaise + activationToken() + '\n';
    const bool sent = ::send(fd, message.constData(), message.size(), MSG_NOSIGNAL) ==
                      static_cast<ssize_t>(message.size());
    ::close(fd);
    qCDebug(lcUi) << "a clock runs already on" << m_name << (sent ? "and was asked to show" : "");
    return true;
}

void SingleInstance::listen() {
    sockaddr_un address;
    if (!addressOf(m_name, address)) {
        qCWarning(lcUi) << "cannot listen on" << m_name << "(the path is too long)";
        return;
    }
    m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_fd < 0) return;
    const auto* at = reinterpret_cast<const sockaddr*>(&address);
    // A file left by a clock that was killed: nobody answered on it.
    if (::bind(m_fd, at, sizeof address) != 0 && errno == EADDRINUSE) {
        ::unlink(address.sun_path);
        ::bind(m_fd, at, sizeof address);
    }
    // Only this user may ask this clock to show itself.
    if (::chmod(address.sun_path, S_IRUSR | S_IWUSR) != 0 || ::listen(m_fd, 8) != 0) {
        qCWarning(lcUi) << "cannot listen on" << m_name << strerror(errno);
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    m_listening = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    connect(m_listening.get(), &QSocketNotifier::activated, this, &SingleInstance::serve);
}

void SingleInstance::serve() {
    int fd;
    while ((fd = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK)) >= 0) {
        Caller& caller = m_callers[fd];
        caller.notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        connect(caller.notifier.get(), &QSocketNotifier::activated, this, [this, fd] { hear(fd); });
        hear(fd);  // what arrived before the connection was taken
    }
}

void SingleInstance::hear(int fd) {
    auto found = m_callers.find(fd);
    if (found == m_callers.end()) return;
    char buffer[512];
    ssize_t got;
    while ((got = ::recv(fd, buffer, sizeof buffer, 0)) > 0) {
        QByteArray& pending = found->second.pending;
        pending.append(buffer, got);
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QByteArray line = pending.left(end + 1);
            pending.remove(0, end + 1);
            if (!line.startsWith(kRaise)) continue;
            qCDebug(lcUi) << "another start: to the front";
            if (onRaise) onRaise(line.mid(sizeof kRaise - 1).trimmed());
        }
        if (pending.size() > 4096) pending.clear();  // no line from a clock
    }
    if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) hangUp(fd);
}

void SingleInstance::hangUp(int fd) {
    auto found = m_callers.find(fd);
    if (found == m_callers.end()) return;
    // Deleted later: this may run from the notifier's own signal.
    QSocketNotifier* notifier = found->second.notifier.release();
    notifier->setEnabled(false);
    notifier->deleteLater();
    m_callers.erase(found);
    ::close(fd);
}
