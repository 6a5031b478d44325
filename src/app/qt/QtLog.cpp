#include "app/qt/QtLog.h"

#include <QString>

#include "log/Log.h"

Q_LOGGING_CATEGORY(lcClock, "alarmclock.clock", QtWarningMsg)
Q_LOGGING_CATEGORY(lcAudio, "alarmclock.audio", QtWarningMsg)
Q_LOGGING_CATEGORY(lcTray, "alarmclock.tray", QtWarningMsg)
Q_LOGGING_CATEGORY(lcUi, "alarmclock.ui", QtWarningMsg)

namespace {

const QLoggingCategory& qtCategory(LogCategory category) {
    switch (category) {
        case LogCategory::clock:
            return lcClock();
        case LogCategory::audio:
            return lcAudio();
        case LogCategory::tray:
            return lcTray();
        case LogCategory::ui:
            break;
    }
    return lcUi();
}

}  // namespace

void installQtLogSink() {
    setLogSink([](LogCategory category, std::string_view message) {
        const QLoggingCategory& target = qtCategory(category);
        if (target.isDebugEnabled())
            qCDebug(target).noquote()
                << QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size()));
    });
}
