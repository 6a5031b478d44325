#include "app/qt/SingleInstance.h"

#include <unistd.h>
#include <QDir>
#include <QLocalSocket>
#include <QLockFile>
#include <QRegularExpression>

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
        display.remove(QRegularExpression("\\.\\d+$"));
    }
    if (display.isEmpty()) display = "none";
    return display.replace(QRegularExpression("[^A-Za-z0-9_.-]"), "_");
}

QByteArray activationToken() {
    QByteArray token = qgetenv("XDG_ACTIVATION_TOKEN");
    if (token.isEmpty()) token = qgetenv("DESKTOP_STARTUP_ID");
    return token;
}

}  // namespace

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent), m_name(std::move(name)) {
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::serve);
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
    QLocalSocket socket;
    socket.connectToServer(m_name);
    // A socket file whose clock died refuses the connection at once.
    if (!socket.waitForConnected(kWaitMs)) return false;
    socket.write(kRaise + activationToken() + '\n');
    // The running clock reads it when it is free (it may be speaking the time).
    const bool sent = socket.waitForBytesWritten(kWaitMs);
    socket.disconnectFromServer();
    qCDebug(lcUi) << "a clock runs already on" << m_name << (sent ? "and was asked to show" : "");
    return true;
}

void SingleInstance::listen() {
    if (m_server.listen(m_name)) return;
    // Left by a clock that was killed: nobody answered on it.
    QLocalServer::removeServer(m_name);
    if (!m_server.listen(m_name))
        qCWarning(lcUi) << "cannot listen on" << m_name << m_server.errorString();
}

void SingleInstance::serve() {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        const auto readLines = [this, socket] {
            while (socket->canReadLine()) {
                const QByteArray line = socket->readLine();
                if (!line.startsWith(kRaise)) continue;
                qCDebug(lcUi) << "another start: to the front";
                if (onRaise) onRaise(line.mid(sizeof kRaise - 1).trimmed());
            }
        };
        connect(socket, &QLocalSocket::readyRead, this, readLines);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        readLines();  // what arrived before the connection was taken
    }
}
