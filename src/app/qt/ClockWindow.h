#pragma once
// The borderless clock-radio window on Qt. It builds one widget per control
// from the rule book, shows what the form's controls hold, hands the mouse to
// the form's window rules and runs the two timers.

#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <map>
#include <memory>

#include "app/qt/WallClockTicker.h"
#include "clock/FormWindow.h"

class frmMain;

class ClockWindow : public QWidget {
    Q_OBJECT

  public:
    explicit ClockWindow(QWidget* parent = nullptr);
    ~ClockWindow() override;
    void setForm(frmMain* form);
    // Runs a handler of the form, then shows what it changed.
    void dispatch(const std::function<void()>& handler);
    // Feeds the window rules an event, then shows what it changed.
    void apply(const std::function<Changes(FormWindow&)>& event);
    // Ticks now, then at every wall-clock second.
    void startTicking();

  protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void redraw(const Changes& changes);
    void showControl(face::Control control);
    void tick();
    QPixmap pixmap(const std::string& name);

    std::unique_ptr<FormWindow> m_rules;
    std::array<QLabel*, face::kControlCount> m_widgets{};
    WallClockTicker m_tick;
    QTimer m_set;
    std::map<std::string, QPixmap> m_pixmaps;
};
