#pragma once
// Tells the X session manager how to start the clock again as it is (armed
// for the same time, same track and language): at each session save the
// restart command is the program with the clock's restart arguments.

#include <QObject>
#include <QStringList>
#include <string>
#include <vector>

class QGuiApplication;
class QSessionManager;

class SessionRestart : public QObject {
  public:
    explicit SessionRestart(QGuiApplication& app);
    // The arguments that start the clock again as it is now.
    void setArguments(const std::vector<std::string>& arguments);

  private:
    void save(QSessionManager& manager) const;
    QStringList m_arguments;
};
