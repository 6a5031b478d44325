#include "app/qt/QtTrayBackend.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <algorithm>
#include <string>

#include "app/qt/QtLog.h"
#include "tray/AnsiText.h"

namespace {

constexpr uint32_t NIIF_ICON_MASK = 0x0F;
constexpr uint32_t NIIF_USER = 4;

// A single-byte text field up to its first NUL.
template <std::size_t N>
QString fieldText(const std::array<char, N>& field) {
    const auto end = std::find(field.begin(), field.end(), '\0');
    const std::string ansi(field.begin(), end);
    return QString::fromStdString(ansiToUtf8(ansi));
}

}  // namespace

QtTrayBackend::QtTrayBackend(std::function<bool()> trayAvailable, QObject* parent)
    : QObject(parent), m_trayAvailable(std::move(trayAvailable)) {
    if (!m_trayAvailable) m_trayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
    // The X11 platform tells when a tray host starts or ends; Qt itself then puts a
    // shown icon into the new host.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
    // QPlatformNativeInterface derives from QObject alone; its header is private to Qt.
    auto* native = reinterpret_cast<QObject*>(QGuiApplication::platformNativeInterface());
    if (native && native->metaObject()->indexOfSignal("systemTrayWindowChanged(QScreen*)") >= 0)
        m_hearsTrayHosts = connect(native, SIGNAL(systemTrayWindowChanged(QScreen*)), this,
                                   SLOT(trayHostChanged()));
}

QtTrayBackend::~QtTrayBackend() {
    delete m_tray;
}

void QtTrayBackend::notifyIcon(NotifyMessage message, const NotifyIconData& record) {
    if (message == NIM_DELETE) {
        removeTrayIcon();
        return;
    }
    if (message == NIM_ADD) {
        if (m_wanted || m_tray) return;  // the icon is already there
        m_wanted = true;
        m_state = NotifyIconData{};
    }
    if (!m_wanted) return;  // changes to an icon that was never added
    if (record.uFlags & NIF_ICON) m_state.hIcon = record.hIcon;
    if (record.uFlags & NIF_TIP) m_state.szTip = record.szTip;

    // A tray host that appears after the start still gets the icon.
    if (!m_tray) createTrayIcon();
    if (!m_tray) return;
    if (record.uFlags & NIF_ICON) applyIcon(record.hIcon);
    if (record.uFlags & NIF_TIP) applyTip(record);
    if (record.uFlags & NIF_INFO) showBalloon(record);
}

uint64_t QtTrayBackend::createIcon(const IconImage& image) {
    const Picture& picture = image.colour;
    const auto count = static_cast<std::size_t>(std::max(picture.width, 0)) *
                       static_cast<std::size_t>(std::max(picture.height, 0));
    if (count == 0 || picture.pixels.size() != count || image.mask.size() != count) return 0;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return 0;

    QImage argb(picture.width, picture.height, QImage::Format_ARGB32);
    for (int y = 0; y < picture.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(argb.scanLine(y));
        for (int x = 0; x < picture.width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * picture.width + x;
            const uint32_t bgr = picture.pixels[i];
            line[x] = image.mask[i] ? qRgba(0, 0, 0, 0)
                                    : qRgba(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF, 255);
        }
    }
    return registerIcon(QIcon(QPixmap::fromImage(argb)));
}

void QtTrayBackend::destroyIcon(uint64_t hIcon) {
    m_icons.erase(hIcon);
}

QSystemTrayIcon::MessageIcon QtTrayBackend::messageIcon(uint32_t dwInfoFlags) {
    switch (dwInfoFlags & NIIF_ICON_MASK) {
        case 1:
            return QSystemTrayIcon::Information;
        case 2:
            return QSystemTrayIcon::Warning;
        case 3:
            return QSystemTrayIcon::Critical;
        default:
            return QSystemTrayIcon::NoIcon;
    }
}

uint64_t QtTrayBackend::registerIcon(const QIcon& icon) {
    const uint64_t handle = m_nextHandle++;
    m_icons[handle] = icon;
    return handle;
}

QIcon QtTrayBackend::icon(uint64_t handle) const {
    const auto it = m_icons.find(handle);
    return it == m_icons.end() ? QIcon() : it->second;
}

bool QtTrayBackend::iconShown() const {
    return m_tray && m_tray->isVisible() && m_trayAvailable();
}

void QtTrayBackend::trayHostChanged() {
    qCDebug(lcTray) << (m_trayAvailable() ? "a tray host appeared" : "the tray host went");
    if (onTrayChanged) onTrayChanged();
}

void QtTrayBackend::createTrayIcon() {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
    if (!m_trayAvailable()) {
        qCDebug(lcTray) << "no tray host; the icon waits for one";
        // Where the platform tells of new tray hosts (X11), the icon is made now
        // and Qt puts it into one that starts later; elsewhere a later change
        // of the icon makes it.
        if (!m_hearsTrayHosts) return;
    }
    m_tray = new QSystemTrayIcon(this);
    connect(m_tray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                switch (reason) {
                    case QSystemTrayIcon::Trigger:
                        notify(shell::WM_LBUTTONUP);
                        break;
                    case QSystemTrayIcon::DoubleClick:
                        notify(shell::WM_LBUTTONDBLCLK);
                        break;
                    case QSystemTrayIcon::Context:
                        notify(shell::WM_RBUTTONUP);
                        break;
                    case QSystemTrayIcon::MiddleClick:
                        notify(shell::WM_MBUTTONUP);
                        break;
                    default:
                        break;
                }
            });
    connect(m_tray, &QSystemTrayIcon::messageClicked, this,
            [this] { notify(shell::NIN_BALLOONUSERCLICK); });
    // What was asked for before the icon could be made.
    applyIcon(m_state.hIcon);
    applyTip(m_state);
}

void QtTrayBackend::applyIcon(uint64_t handle) {
    const QIcon image = icon(handle);
    // An unknown handle leaves the image as it was.
    if (image.isNull()) return;
    m_tray->setIcon(image);
    // Shown only once it has an image: the tray host has nothing to draw before.
    if (!m_tray->isVisible()) m_tray->show();
}

void QtTrayBackend::applyTip(const NotifyIconData& record) {
    m_tray->setToolTip(fieldText(record.szTip));
}

void QtTrayBackend::showBalloon(const NotifyIconData& record) {
    const QString title = fieldText(record.szInfoTitle);
    const QString message = fieldText(record.szInfo);
    const int timeout = static_cast<int32_t>(record.uTimeout);
    if ((record.dwInfoFlags & NIIF_ICON_MASK) == NIIF_USER)
        m_tray->showMessage(title, message, m_tray->icon(), timeout);
    else
        m_tray->showMessage(title, message, messageIcon(record.dwInfoFlags), timeout);
}

void QtTrayBackend::removeTrayIcon() {
    m_wanted = false;
    m_state = NotifyIconData{};
    if (!m_tray) return;
    m_tray->hide();
    m_tray->disconnect(this);
    // Deferred: the removal may come from inside one of the icon's own signals.
    m_tray->deleteLater();
    m_tray = nullptr;
}

void QtTrayBackend::notify(int number) {
    if (onNotification) onNotification(number);
}
