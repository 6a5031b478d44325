#pragma once
// Keeps the computer awake over D-Bus: through the desktop's Inhibit portal
// where one is on the session bus, else through logind on the system bus. Both
// locks die with the process: logind's is a file descriptor, and the portal
// drops the requests of a client that leaves the bus. From the first lock on,
// logind's word that the computer has woken is passed on, so the clock can
// tick at once; before it nothing waits for the alarm, and no bus is reached.

#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QString>
#include <functional>

#include "clock/Services.h"

class QDBusPendingCallWatcher;

class DBusSleepInhibitor : public QObject, public SleepInhibitor {
    Q_OBJECT

  public:
    explicit DBusSleepInhibitor(QObject* parent = nullptr);
    ~DBusSleepInhibitor() override;
    void inhibit(const std::string& reason) override;
    void release() override;

    // Called when the computer has woken from sleep.
    std::function<void()> onResume;

  private slots:
    void prepareForSleep(bool goingToSleep);

  private:
    bool held() const { return m_logindLock.isValid() || !m_portalRequest.isEmpty(); }
    bool portalThere() const;
    void takeFromPortal();
    void takeFromLogind();
    // Runs `done` with the call's reply once it comes.
    void whenAnswered(QDBusPendingCallWatcher* call,
                      std::function<void(QDBusPendingCallWatcher&)> done);
    void dropLock();

    bool m_hearingResume = false;  // PrepareForSleep is listened to
    bool m_wanted = false;
    bool m_pending = false;  // a request is on its way
    QString m_reason;
    QDBusUnixFileDescriptor m_logindLock;
    QString m_portalRequest;  // the portal's request object while it holds the lock
};
