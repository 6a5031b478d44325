#include "app/qt/SessionRestart.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSessionManager>

SessionRestart::SessionRestart(QGuiApplication& app) : QObject(&app) {
    // Direct: the manager is only valid during the signal.
    connect(
        &app, &QGuiApplication::saveStateRequest, this,
        [this](QSessionManager& manager) { save(manager); }, Qt::DirectConnection);
}

void SessionRestart::setArguments(const std::vector<std::string>& arguments) {
    m_arguments.clear();
    for (const std::string& argument : arguments) m_arguments << QString::fromStdString(argument);
}

void SessionRestart::save(QSessionManager& manager) const {
    manager.setRestartCommand(QStringList{QCoreApplication::applicationFilePath()} + m_arguments);
}
