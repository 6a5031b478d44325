#pragma once
// One clock per user and display. The first clock listens on a local socket
// named for the user and the display; a later start finds it there, asks it to
// come to the front and ends before it has ticked, muted, played or shown an icon.
// A socket left by a clock that was killed answers no one and is replaced.
// A plain Unix socket watched by the event loop: Qt Network and the
// libraries it brings would cost every start for these few bytes.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <memory>

class QSocketNotifier;

class SingleInstance : public QObject {
    Q_OBJECT

  public:
    explicit SingleInstance(QString name = serverName(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // The socket of this user's clock on this display: in XDG_RUNTIME_DIR, else
    // in the temporary folder with the user id in its name.
    static QString serverName();

    // True when a running clock was found and asked to come to the front. Else
    // this clock listens from now on and hears later starts through onRaise.
    bool handOverToRunningClock();

    // A later start asks to be shown; `activationToken` is the launcher's token
    // (XDG_ACTIVATION_TOKEN on Wayland, DESKTOP_STARTUP_ID on X11), maybe empty.
    std::function<void(const QByteArray& activationToken)> onRaise;

  private:
    struct Caller {
        std::unique_ptr<QSocketNotifier> notifier;
        QByteArray pending;  // the start of a line not yet complete
    };

    bool askRunningClock();
    void listen();
    void serve();
    void hear(int fd);
    void hangUp(int fd);

    QString m_name;
    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_listening;
    std::map<int, Caller> m_callers;
};
