#include "app/qt/DBusSleepInhibitor.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

#include "app/qt/QtLog.h"

namespace {

constexpr const char* kPortal = "org.freedesktop.portal.Desktop";
constexpr const char* kPortalPath = "/org/freedesktop/portal/desktop";
constexpr const char* kPortalInhibit = "org.freedesktop.portal.Inhibit";
constexpr const char* kPortalRequest = "org.freedesktop.portal.Request";
constexpr unsigned kPortalSuspend = 4;

constexpr const char* kLogind = "org.freedesktop.login1";
constexpr const char* kLogindPath = "/org/freedesktop/login1";
constexpr const char* kLogindManager = "org.freedesktop.login1.Manager";

}  // namespace

DBusSleepInhibitor::DBusSleepInhibitor(QObject* parent) : QObject(parent) {}

DBusSleepInhibitor::~DBusSleepInhibitor() {
    release();
}

void DBusSleepInhibitor::inhibit(const std::string& reason) {
    // The buses are reached only from the first arming on: most runs never
    // arm, and a connection costs a thread and start-up time.
    if (!m_hearingResume) {
        m_hearingResume = true;
        QDBusConnection::systemBus().connect(kLogind, kLogindPath, kLogindManager,
                                             "PrepareForSleep", this, SLOT(prepareForSleep(bool)));
    }
    m_wanted = true;
    m_reason = QString::fromStdString(reason);
    if (m_pending || held()) return;
    if (portalThere())
        takeFromPortal();
    else
        takeFromLogind();
}

void DBusSleepInhibitor::release() {
    m_wanted = false;
    // A lock still on its way is dropped when it arrives.
    if (!m_pending) dropLock();
}

bool DBusSleepInhibitor::portalThere() const {
    const QDBusConnection session = QDBusConnection::sessionBus();
    if (!session.isConnected() || !session.interface()) return false;
    if (session.interface()->isServiceRegistered(kPortal)) return true;
    const QDBusReply<QStringList> activatable = session.interface()->activatableServiceNames();
    return activatable.isValid() && activatable.value().contains(kPortal);
}

void DBusSleepInhibitor::takeFromPortal() {
    QDBusMessage call =
        QDBusMessage::createMethodCall(kPortal, kPortalPath, kPortalInhibit, "Inhibit");
    call << QString() << kPortalSuspend << QVariantMap{{"reason", m_reason}};
    whenAnswered(new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this),
                 [this](QDBusPendingCallWatcher& answer) {
                     const QDBusPendingReply<QDBusObjectPath> reply = answer;
                     if (reply.isError()) {
                         qCDebug(lcClock)
                             << "the Inhibit portal refused:" << reply.error().message();
                         if (m_wanted) takeFromLogind();
                         return;
                     }
                     m_portalRequest = reply.value().path();
                     qCDebug(lcClock) << "sleep inhibited through the portal:" << m_reason;
                 });
}

void DBusSleepInhibitor::takeFromLogind() {
    QDBusMessage call =
        QDBusMessage::createMethodCall(kLogind, kLogindPath, kLogindManager, "Inhibit");
    call << QString("sleep:idle") << QString("Alarm Clock") << m_reason << QString("block");
    whenAnswered(new QDBusPendingCallWatcher(QDBusConnection::systemBus().asyncCall(call), this),
                 [this](QDBusPendingCallWatcher& answer) {
                     const QDBusPendingReply<QDBusUnixFileDescriptor> reply = answer;
                     if (reply.isError()) {
                         qCDebug(lcClock) << "logind refused:" << reply.error().message();
                         return;
                     }
                     m_logindLock = reply.value();
                     qCDebug(lcClock) << "sleep inhibited through logind:" << m_reason;
                 });
}

void DBusSleepInhibitor::whenAnswered(QDBusPendingCallWatcher* call,
                                      std::function<void(QDBusPendingCallWatcher&)> done) {
    m_pending = true;
    connect(call, &QDBusPendingCallWatcher::finished, this,
            [this, done = std::move(done)](QDBusPendingCallWatcher* answer) {
                answer->deleteLater();
                m_pending = false;
                done(*answer);
                // Switched off while the request was on its way.
                if (!m_wanted && !m_pending) dropLock();
            });
}

void DBusSleepInhibitor::dropLock() {
    if (m_logindLock.isValid()) {
        m_logindLock = QDBusUnixFileDescriptor();  // closes our copy: logind lets go
        qCDebug(lcClock) << "sleep allowed again (logind)";
    }
    if (!m_portalRequest.isEmpty()) {
        QDBusConnection::sessionBus().asyncCall(
            QDBusMessage::createMethodCall(kPortal, m_portalRequest, kPortalRequest, "Close"));
        m_portalRequest.clear();
        qCDebug(lcClock) << "sleep allowed again (portal)";
    }
}

void DBusSleepInhibitor::prepareForSleep(bool goingToSleep) {
    if (goingToSleep) return;
    qCDebug(lcClock) << "woke from sleep: ticking now";
    if (onResume) onResume();
}
