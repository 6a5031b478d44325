#pragma once
// The dialogs and the window host on Qt, and its local clock and folders (app/run/ClockRun.h).

#include <QPointer>
#include <QWidget>
#include <functional>

#include "app/run/ClockRun.h"
#include "clock/Services.h"

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

// Where the compositor places windows (Wayland), a drag is handed to it and
// other moves are left out.
class QtWindowHost : public WindowHost {
  public:
    explicit QtWindowHost(QWidget* window) : m_window(window) {}
    int left() const override;
    int top() const override;
    void move(int left, int top) override;
    void show() override;
    void hide() override;
    void minimize() override;
    bool isVisible() const override;
    void close() override;
    unsigned long long hWnd() const override;
    unsigned long long hIcon() const override { return m_icon; }
    void setIconHandle(unsigned long long handle) { m_icon = handle; }

    // Shows the window, restored, on top and active. `activationToken` is the
    // launcher's token of a later start, which lets a Wayland window take the focus.
    void bringToFront(const QByteArray& activationToken = {});

  private:
    QPointer<QWidget> m_window;
    unsigned long long m_icon = 0;
};
