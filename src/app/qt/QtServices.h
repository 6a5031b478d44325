#pragma once
// The wall clock, the dialogs and the window host on Qt.

#include <QPointer>
#include <QWidget>
#include <filesystem>
#include <functional>

#include "clock/Services.h"

// The folder of the executable, where the program's data lies.
std::string appFolder();
// The clock's folder in the user's state folder: $XDG_STATE_HOME/alarm-clock,
// ~/.local/state/alarm-clock when that is unset or not absolute.
std::filesystem::path stateFolder();

class QtTimeSource : public TimeSource {
  public:
    std::string longTimeText() override;
    std::string dateTimeText() override;
};

class QtDialogs : public Dialogs {
  public:
    explicit QtDialogs(QWidget* parent) : m_parent(parent) {}
    std::string inputBox(const std::string& prompt, const std::string& title) override;
    int askYesNo(const std::string& text, const std::string& title) override;
    void message(const std::string& text, const std::string& title) override;
    std::string openFile(const std::string& title, const std::string& filter,
                         const std::string& defaultExt, const std::string& initialPath) override;

  private:
    QPointer<QWidget> m_parent;
};

// The window is never lost: it hides only to a tray icon that is shown, and is
// minimised to the task bar where there is none. Where the compositor places
// windows (Wayland), a drag is handed to it and other moves are left out.
class QtWindowHost : public WindowHost {
  public:
    explicit QtWindowHost(QWidget* window) : m_window(window) {}
    int left() const override;
    int top() const override;
    void move(int left, int top) override;
    // Shows the window, restoring it when it is minimised.
    void show() override;
    // Hides the window to the tray icon, or minimises it when no icon is shown.
    void hide() override;
    bool isVisible() const override;
    void close() override;
    unsigned long long hWnd() const override;
    unsigned long long hIcon() const override { return m_icon; }
    void setIconHandle(unsigned long long handle) { m_icon = handle; }

    // Whether the tray shows the clock's icon; without this, there is none.
    void setTrayShown(std::function<bool()> trayShown) { m_trayShown = std::move(trayShown); }
    // A tray host came or went: a window hidden to an icon that is gone comes back,
    // minimised.
    void trayChanged();
    // Shows the window, restored, on top and active. `activationToken` is the
    // launcher's token of a later start, which lets a Wayland window take the focus.
    void bringToFront(const QByteArray& activationToken = {});

  private:
    bool trayShown() const { return m_trayShown && m_trayShown(); }

    QPointer<QWidget> m_window;
    unsigned long long m_icon = 0;
    std::function<bool()> m_trayShown;
    bool m_hiddenToTray = false;
};
