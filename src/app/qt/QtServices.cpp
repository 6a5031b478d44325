#include "app/qt/QtServices.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLocale>
#include <QMessageBox>
#include <QWindow>

#include "app/qt/DisplayPlatform.h"
#include "app/qt/QtLog.h"
#include "ui/Texts.h"
#include "ui/WindowGeometry.h"

namespace {

// The dialogs show plain line breaks.
QString displayText(const std::string& text) {
    return QString::fromStdString(text).replace("\r\n", "\n");
}

}  // namespace

std::string appFolder() {
    return QCoreApplication::applicationDirPath().toStdString();
}

// $XDG_STATE_HOME/alarm-clock, ~/.local/state/alarm-clock when that is unset
// or not absolute.
std::filesystem::path stateFolder() {
    const QString state = qEnvironmentVariable("XDG_STATE_HOME");
    const QString base = QDir::isAbsolutePath(state) ? state : QDir::homePath() + "/.local/state";
    return std::filesystem::path(base.toStdString()) / "alarm-clock";
}

LocalTime LocalClock::now() {
    // Date and time read at once, so that midnight cannot fall between them.
    const QDateTime now = QDateTime::currentDateTime();
    const QTime time = now.time();
    const QDate date = now.date();
    return {time.hour(), time.minute(), time.second(), date.year(), date.month(), date.day()};
}

std::string LocalClock::dateTimeText() {
    return QLocale::system()
        .toString(QDateTime::currentDateTime(), QLocale::ShortFormat)
        .toStdString();
}

std::string QtDialogs::inputBox(const std::string& prompt, const std::string& title) {
    bool ok = false;
    const QString text = QInputDialog::getText(m_parent, QString::fromStdString(title),
                                               displayText(prompt), QLineEdit::Normal, {}, &ok);
    return ok ? text.toStdString() : std::string();
}

int QtDialogs::askYesNo(const std::string& text, const std::string& title) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title), displayText(text),
                    QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes ? Yes : No;
}

void QtDialogs::message(const std::string& text, const std::string& title) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title), displayText(text),
                    QMessageBox::Ok, m_parent);
    box.exec();
}

std::string QtDialogs::openFile(const std::string& title, const std::string& filter,
                                const std::string& defaultExt, const std::string& initialPath) {
    QFileDialog dialog(m_parent, QString::fromStdString(title));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(QString::fromStdString(filter));
    dialog.setDefaultSuffix(QString::fromStdString(defaultExt));
    if (!initialPath.empty()) dialog.selectFile(QString::fromStdString(initialPath));
    // The filter's text is shown as it stands; the files listed under it are the
    // music the player plays, in any letter case.
    if (auto* model = dialog.findChild<QFileSystemModel*>()) {
        QStringList patterns;
        for (const char* pattern : texts::musicPatterns) patterns << pattern;
        model->setNameFilters(patterns);
        model->setFilter(model->filter() & ~QDir::CaseSensitive);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first().toStdString();
}

int QtWindowHost::left() const {
    return m_window ? m_window->x() * geometry::kTwipsPerPixel : 0;
}

int QtWindowHost::top() const {
    return m_window ? m_window->y() * geometry::kTwipsPerPixel : 0;
}

void QtWindowHost::move(int left, int top) {
    if (!m_window) return;
    if (!compositorPlacesWindows()) {
        m_window->move(left / geometry::kTwipsPerPixel, top / geometry::kTwipsPerPixel);
        return;
    }
    // The compositor moves the window while the button is held; the return home
    // after the release is its business too.
    if (QGuiApplication::mouseButtons() != Qt::NoButton && m_window->windowHandle())
        m_window->windowHandle()->startSystemMove();
}

void QtWindowHost::show() {
    if (!m_window) return;
    if (m_window->isMinimized())
        m_window->showNormal();
    else
        m_window->show();
}

void QtWindowHost::hide() {
    if (m_window) m_window->hide();
}

void QtWindowHost::minimize() {
    if (m_window) m_window->showMinimized();
}

void QtWindowHost::bringToFront(const QByteArray& activationToken) {
    if (!m_window) return;
    // Qt's Wayland activation presents the token it finds here.
    if (!activationToken.isEmpty()) qputenv("XDG_ACTIVATION_TOKEN", activationToken);
    show();
    m_window->raise();
    m_window->activateWindow();
}

bool QtWindowHost::isVisible() const {
    return m_window && m_window->isVisible();
}

void QtWindowHost::close() {
    if (m_window) m_window->close();
}

unsigned long long QtWindowHost::hWnd() const {
    return m_window ? static_cast<unsigned long long>(m_window->winId()) : 0;
}
