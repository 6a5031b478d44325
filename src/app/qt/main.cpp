// Starts the clock: answers --help and --version, hands over to a clock that
// already runs on this display, else chooses the Qt front end for the clock's run.

#include <sys/socket.h>
#include <unistd.h>
#include <QApplication>
#include <QFontDatabase>
#include <QIcon>
#include <QSocketNotifier>
#include <csignal>

#include "app/qt/AppIcon.h"
#include "app/qt/ClockWindow.h"
#include "app/qt/CommandLine.h"
#include "app/qt/DBusSleepInhibitor.h"
#include "app/qt/DisplayPlatform.h"
#include "app/qt/LinuxWakeTimer.h"
#include "app/qt/QtLog.h"
#include "app/qt/QtServices.h"
#include "app/qt/QtTranslations.h"
#include "app/qt/QtTrayBackend.h"
#include "app/qt/SessionRestart.h"
#include "app/qt/SingleInstance.h"
#include "app/run/ClockRun.h"

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
}

// SIGINT, SIGTERM and SIGHUP close the window, so the shut-down runs and the
// output is never left muted.
void closeOnSignals(ClockWindow& window) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
        char byte;
        [[maybe_unused]] const auto got = ::read(g_signalPipe[0], &byte, 1);
        window.close();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &action, nullptr);
}

}  // namespace

int main(int argc, char* argv[]) {
    RestartState restart;
    if (const std::optional<int> status = handleCommandLine(argc, argv, ALARM_VERSION, restart))
        return *status;
    chooseDisplayPlatform();
    // The window repaints a small label once a second: shared-memory images
    // buy nothing there, and each one wakes the X event thread to hear the
    // server has finished with it.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) qputenv("QT_XCB_NO_MITSHM", "1");
    QApplication app(argc, argv);
    // Also the window's class (WM_CLASS), which the desktop entry's StartupWMClass names.
    QApplication::setApplicationName("alarm-clock");
    QApplication::setApplicationVersion(ALARM_VERSION);
    // Matches the window to its desktop entry (task bars, Wayland).
    QGuiApplication::setDesktopFileName(ALARM_APP_ID);
    QApplication::setQuitOnLastWindowClosed(false);
    installQtLogSink();

    // Before any sound, tick or tray icon: a second clock only wakes the first.
    SingleInstance instance;
    if (instance.handOverToRunningClock()) return 0;
    loadQtTranslations();
    qCDebug(lcUi) << "display platform" << QGuiApplication::platformName();

    ClockWindow window;
    const QIcon icon = appIcon(QString::fromStdString(appFolder()));
    window.setWindowIcon(icon);

    QtDialogs dialogs(&window);
    QtWindowHost host(&window);
    QtTrayBackend tray;
    host.setIconHandle(tray.registerIcon(icon));
    DBusSleepInhibitor sleep;
    LinuxWakeTimer wake(appFolder() + "/alarm-clock-wake");
    SessionRestart session(app);
    // A computer that slept through the alarm minute rings as soon as it wakes.
    sleep.onResume = [&window] { window.apply(&FormWindow::tick); };
    instance.onRaise = [&host](const QByteArray& token) { host.bringToFront(token); };
    tray.onNotification = [&](int number) {
        window.apply([number](FormWindow& rules) { return rules.trayNotification(number); });
    };
    tray.onTrayChanged = [&window] { window.apply(&FormWindow::trayChanged); };
    // A session save (a checkpoint, or a logout that may yet be cancelled)
    // changes nothing: Qt does not say when a logout is cancelled, so the mute
    // stays as it is. A session that really ends quits the application, and
    // the clock unloads as the run ends.
    closeOnSignals(window);

    return runClock(FrontEnd{
        .dialogs = dialogs,
        .window = host,
        .tray = tray,
        .registerFont =
            [](const std::string& path) {
                QFontDatabase::addApplicationFont(QString::fromStdString(path));
            },
        .doEvents = [] { QCoreApplication::processEvents(); },
        .sleep = &sleep,
        .wake = &wake,
        .post =
            [&window](std::function<void()> handler) {
                QMetaObject::invokeMethod(
                    &window, [&window, handler = std::move(handler)] { window.dispatch(handler); },
                    Qt::QueuedConnection);
            },
        .setForm = [&window](frmMain* form) { window.setForm(form); },
        .apply = [&window](const auto& event) { window.apply(event); },
        .loop = [&app] { return app.exec(); },
        .resume = restart,
        .registerRestart = [&session](const auto& arguments) { session.setArguments(arguments); },
    });
}
