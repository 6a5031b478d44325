#pragma once
// The borderless clock-radio window on Qt. It builds one widget per control
// from the rule book, shows what the form's controls hold, hands the mouse and
// the keys to the form's window rules, names the controls for screen readers
// (AT-SPI) and runs the two timers.

#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <map>
#include <memory>

#include "app/qt/AlertNote.h"
#include "app/qt/DescribedControl.h"
#include "app/qt/FocusMark.h"
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
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void redraw(const Changes& changes);
    void showControl(face::Control control);
    void tick();
    QPixmap pixmap(const std::string& name);
    // A key, through the rules' key table; true when the clock took it.
    bool handleKey(const QKeyEvent& key);
    DescribedControl* described(face::Control control) const;
    // Gives Qt's focus to the rules' focused control, and rings it.
    void followFocus();
    void showFocusMark();

    std::unique_ptr<FormWindow> m_rules;
    std::array<QLabel*, face::kControlCount> m_widgets{};
    FocusMark* m_focusMark = nullptr;
    // Tells screen readers that the alarm rings.
    AlertNote* m_alert = nullptr;
    WallClockTicker m_tick;
    QTimer m_set;
    std::map<std::string, QPixmap> m_pixmaps;
};
