#pragma once
// The one QApplication of a Qt test program, made on first use. Every Qt test
// asks for it here, so that the program never makes two.

#include <QApplication>
#include <QtGlobal>

inline QApplication& qtApp() {
    if (auto* running = qobject_cast<QApplication*>(QCoreApplication::instance())) return *running;
    // Run without a display unless the caller chose a platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "qt_tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: tearing Qt down in the exit handlers crashes in its
    // thread storage, and the process ends anyway.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}
