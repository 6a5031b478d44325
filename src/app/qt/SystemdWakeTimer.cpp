#include "app/qt/SystemdWakeTimer.h"

#include <unistd.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QList>
#include <ctime>

#include "app/qt/QtLog.h"

namespace {

constexpr const char* kSystemd = "org.freedesktop.systemd1";
constexpr const char* kSystemdPath = "/org/freedesktop/systemd1";
constexpr const char* kManager = "org.freedesktop.systemd1.Manager";
// The first release whose user manager may wake the computer.
constexpr int kFirstWakingVersion = 254;
// A user manager answers at once; this bounds one that hangs.
constexpr int kAnswerMs = 1000;

// The shapes of StartTransientUnit's arguments: a(sv), a(ss), a(sasb), a(sa(sv)).
struct UnitProperty {
    QString name;
    QDBusVariant value;
};
struct CalendarTimer {
    QString base;
    QString spec;
};
struct ExecCommand {
    QString path;
    QStringList argv;
    bool ignoreFailure = false;
};
struct AuxUnit {
    QString name;
    QList<UnitProperty> properties;
};

}  // namespace

Q_DECLARE_METATYPE(UnitProperty)
Q_DECLARE_METATYPE(CalendarTimer)
Q_DECLARE_METATYPE(ExecCommand)
Q_DECLARE_METATYPE(AuxUnit)

namespace {

QDBusArgument& operator<<(QDBusArgument& out, const UnitProperty& p) {
    out.beginStructure();
    out << p.name << p.value;
    out.endStructure();
    return out;
}
const QDBusArgument& operator>>(const QDBusArgument& in, UnitProperty& p) {
    in.beginStructure();
    in >> p.name >> p.value;
    in.endStructure();
    return in;
}
QDBusArgument& operator<<(QDBusArgument& out, const CalendarTimer& t) {
    out.beginStructure();
    out << t.base << t.spec;
    out.endStructure();
    return out;
}
const QDBusArgument& operator>>(const QDBusArgument& in, CalendarTimer& t) {
    in.beginStructure();
    in >> t.base >> t.spec;
    in.endStructure();
    return in;
}
QDBusArgument& operator<<(QDBusArgument& out, const ExecCommand& c) {
    out.beginStructure();
    out << c.path << c.argv << c.ignoreFailure;
    out.endStructure();
    return out;
}
const QDBusArgument& operator>>(const QDBusArgument& in, ExecCommand& c) {
    in.beginStructure();
    in >> c.path >> c.argv >> c.ignoreFailure;
    in.endStructure();
    return in;
}
QDBusArgument& operator<<(QDBusArgument& out, const AuxUnit& u) {
    out.beginStructure();
    out << u.name << u.properties;
    out.endStructure();
    return out;
}
const QDBusArgument& operator>>(const QDBusArgument& in, AuxUnit& u) {
    in.beginStructure();
    in >> u.name >> u.properties;
    in.endStructure();
    return in;
}

void registerTypes() {
    static const bool registered = [] {
        qDBusRegisterMetaType<UnitProperty>();
        qDBusRegisterMetaType<QList<UnitProperty>>();
        qDBusRegisterMetaType<CalendarTimer>();
        qDBusRegisterMetaType<QList<CalendarTimer>>();
        qDBusRegisterMetaType<ExecCommand>();
        qDBusRegisterMetaType<QList<ExecCommand>>();
        qDBusRegisterMetaType<AuxUnit>();
        qDBusRegisterMetaType<QList<AuxUnit>>();
        return true;
    }();
    (void)registered;
}

template <typename T>
UnitProperty property(const char* name, const T& value) {
    return {QString::fromLatin1(name), QDBusVariant(QVariant::fromValue(value))};
}

// The manager's version, e.g. "256.7-2" or "v246"; 0 when it does not answer.
int managerVersion(const QDBusConnection& bus) {
    QDBusMessage call = QDBusMessage::createMethodCall(kSystemd, kSystemdPath,
                                                       "org.freedesktop.DBus.Properties", "Get");
    call << QString(kManager) << QString("Version");
    const QDBusMessage reply = bus.call(call, QDBus::Block, kAnswerMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return 0;
    QString text = reply.arguments().first().value<QDBusVariant>().variant().toString();
    if (text.startsWith('v')) text.remove(0, 1);
    int digits = 0;
    while (digits < text.size() && text[digits].isDigit()) ++digits;
    return text.left(digits).toInt();
}

// A calendar time of systemd's, e.g. "2026-12-09 06:59:00 UTC".
QString calendarTime(long long seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm utc{};
    char text[32] = {};
    if (!::gmtime_r(&t, &utc) || !std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &utc))
        return {};
    return QString::fromLatin1(text);
}

}  // namespace

bool SystemdWakeTimer::set(long long due) {
    cancel();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return false;
    const int version = managerVersion(bus);
    if (version < kFirstWakingVersion) {
        if (version > 0)
            qCDebug(lcClock) << "the systemd user manager" << version << "cannot wake the computer";
        return false;
    }
    registerTypes();
    const QString stem = QString("alarm-clock-wake-%1-%2").arg(::getpid()).arg(++m_count);
    const QString when = calendarTime(due);
    const QList<UnitProperty> timer{
        property("Description", QString("Wakes the computer for the alarm")),
        property("TimersCalendar", QList<CalendarTimer>{{"OnCalendar", when}}),
        property("WakeSystem", true),
        property("RemainAfterElapse", false),
        property("AccuracyUSec", quint64(1000000)),
    };
    // What the timer starts: nothing but the wake itself.
    const QList<AuxUnit> aux{
        {stem + ".service",
         {property("Description", QString("Alarm clock wake-up")),
          property("ExecStart", QList<ExecCommand>{{"/bin/true", {"/bin/true"}, false}})}}};
    QDBusMessage call =
        QDBusMessage::createMethodCall(kSystemd, kSystemdPath, kManager, "StartTransientUnit");
    call << stem + ".timer" << QString("replace") << QVariant::fromValue(timer)
         << QVariant::fromValue(aux);
    const QDBusMessage reply = bus.call(call, QDBus::Block, kAnswerMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        qCDebug(lcClock) << "the systemd user manager refused the wake timer:"
                         << reply.errorMessage();
        return false;
    }
    m_unit = stem + ".timer";
    qCDebug(lcClock) << "wake timer set for" << due << "as" << m_unit;
    return true;
}

void SystemdWakeTimer::cancel() {
    if (m_unit.isEmpty()) return;
    QDBusMessage call =
        QDBusMessage::createMethodCall(kSystemd, kSystemdPath, kManager, "StopUnit");
    call << m_unit << QString("replace");
    QDBusConnection::sessionBus().call(call, QDBus::Block, kAnswerMs);
    qCDebug(lcClock) << "wake timer removed:" << m_unit;
    m_unit.clear();
}
