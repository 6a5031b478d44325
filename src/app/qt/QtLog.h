#pragma once
// The program's log categories on Qt's categorised logging, silent by default:
// QT_LOGGING_RULES="alarmclock.*.debug=true" shows them all.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcClock)
Q_DECLARE_LOGGING_CATEGORY(lcAudio)
Q_DECLARE_LOGGING_CATEGORY(lcTray)
Q_DECLARE_LOGGING_CATEGORY(lcUi)

// Sends the core's and the backends' log messages to these categories.
void installQtLogSink();
