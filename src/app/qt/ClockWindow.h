#pragma once
// The borderless clock-radio window on Qt: one widget that paints every
// control from its row (clock/ControlTable.h) with what the form's controls
// hold, hands the mouse and the keys to the form's window rules, offers the
// painted controls to screen readers (AT-SPI) and arms one timer for the moment the form's timers
// fall due.

#include <QPixmap>
#include <QWidget>
#include <array>
#include <functional>
#include <map>
#include <memory>

#include "app/qt/AlertNote.h"
#include "app/qt/FaceAccessible.h"
#include "app/qt/FaceText.h"
#include "app/qt/WallClockTimer.h"
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

  protected:
    bool event(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void redraw(const Changes& changes);
    // Asks for the part of a control that changed to be painted again.
    void repaintControl(face::Control control);
    void paintControl(QPainter& painter, const face::ControlRow& row);
    void paintFocusMark(QPainter& painter);
    const QPixmap& pixmap(const std::string& name);
    // A key, through the rules' key table; true when the clock took it.
    bool handleKey(const QKeyEvent& key);
    // Takes the keyboard's focus, and tells screen readers where it is.
    void followFocus();
    bool visible(face::Control control) const;
    void showToolTip(const QHelpEvent& help);

    std::unique_ptr<FormWindow> m_rules;
    // What each control showed when it was last painted.
    std::array<ControlView, face::kControlCount> m_painted{};
    FaceText m_text;
    std::unique_ptr<FaceAccessible> m_accessible;
    // Tells screen readers that the alarm rings.
    AlertNote* m_alert = nullptr;
    WallClockTimer m_due;
    std::map<std::string, QPixmap> m_pixmaps;
};
