#pragma once
// The notification area through QSystemTrayIcon. Icon handles in the record are
// keys into a registry of QIcons that this backend keeps; tray activations come
// back as the shell's notification numbers through onNotification.

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <cstdint>
#include <functional>
#include <map>

#include "tray/TrayBackend.h"

class QtTrayBackend : public QObject, public TrayBackend {
    Q_OBJECT

  public:
    // `trayAvailable` says whether a tray host is running; by default Qt is asked.
    explicit QtTrayBackend(std::function<bool()> trayAvailable = {}, QObject* parent = nullptr);
    ~QtTrayBackend() override;

    void notifyIcon(NotifyMessage message, const NotifyIconData& record) override;
    uint64_t createIcon(const IconImage& image) override;
    void destroyIcon(uint64_t hIcon) override;

    // Gives a handle for `icon` (for the window's own icon); never 0.
    uint64_t registerIcon(const QIcon& icon);
    // The registered icon of a handle; a null QIcon for an unknown one.
    QIcon icon(uint64_t handle) const;
    // The balloon icon of the record's icon flags (the low four bits).
    static QSystemTrayIcon::MessageIcon messageIcon(uint32_t dwInfoFlags);
    // The icon in the tray, or null while none is shown.
    QSystemTrayIcon* trayIcon() const { return m_tray; }
    // True while a tray host shows the icon.
    bool iconShown() const override;
    // Called when a tray host appears or goes away (on X11).
    std::function<void()> onTrayChanged;

    // Receives 514 click, 515 double click, 517 context click, 520 middle click
    // and 1029 balloon click.
    std::function<void(int)> onNotification;

  private slots:
    void trayHostChanged();

  private:
    void createTrayIcon();
    void applyIcon(uint64_t handle);
    void applyTip(const NotifyIconData& record);
    void showBalloon(const NotifyIconData& record);
    void removeTrayIcon();
    void notify(int number);

    std::function<bool()> m_trayAvailable;
    QPointer<QSystemTrayIcon> m_tray;
    // The icon was added (and not deleted).
    bool m_wanted = false;
    // The platform reports tray hosts that start or end (X11).
    bool m_hearsTrayHosts = false;
    NotifyIconData m_state{};  // the image and tooltip last asked for
    std::map<uint64_t, QIcon> m_icons;
    uint64_t m_nextHandle = 1;
};
