#pragma once
// The borderless clock-radio window. It draws frmMain's controls, turns Qt's
// mouse events into frmMain's (in twips) and its keys into the clicks of the
// core's key table, names its controls for screen readers, and runs its two
// timers.

#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "app/qt/DescribedControl.h"
#include "app/qt/FocusMark.h"
#include "app/qt/WallClockTicker.h"
#include "clock/Controls.h"
#include "ui/Keyboard.h"

class frmMain;

// A label's text and box colours.
struct LabelColours {
    QRgb text;
    QRgb box;
};

class ClockWindow : public QWidget {
    Q_OBJECT

  public:
    explicit ClockWindow(QWidget* parent = nullptr);
    void setForm(frmMain* form) { m_form = form; }
    // Runs a handler of the form, then shows what it changed.
    void dispatch(const std::function<void()>& handler);
    // Ticks now, then at every wall-clock second.
    void startTicking();
    void refresh();

  protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool focusNextPrevChild(bool next) override;

  private:
    template <typename Widget>
    Widget* makeLabel(Widget* label, const QRect& rect, Qt::Alignment align,
                      const LabelColours& colours);
    template <typename Widget>
    Widget* makePicture(Widget* picture, const QRect& rect);
    // Keys, through the core's table; true when the clock took the key.
    bool handleKey(const QKeyEvent& key);
    std::optional<keyboard::Control> focusedControl() const;
    DescribedControl* widgetOf(keyboard::Control control) const;
    void showFocusMark();
    void showLabel(QLabel* widget, const Label& label, int pixelSize);
    void showPicture(QLabel* widget, const PictureControl& picture);
    void tick();
    QPixmap pixmap(const std::string& name);

    frmMain* m_form = nullptr;
    QLabel* m_bg;
    QLabel* m_butBuzz;
    QLabel* m_butSong;
    DescribedControl* m_butOnOff;
    DescribedControl* m_butSettings;
    DescribedControl* m_butTrack;
    DescribedControl* m_lblTrack;
    DescribedControl* m_lblAlarm;
    DescribedControl* m_lblTime;
    QLabel* m_lblAMPM;
    DescribedControl* m_lblMinimize;
    DescribedControl* m_lblClose;
    std::vector<DescribedControl*> m_described;
    FocusMark* m_focusMark;
    // The focus mark shows once the keyboard has been used in the window.
    bool m_keyboardUsed = false;
    WallClockTicker m_tick;
    QTimer m_set;
    std::map<std::string, QPixmap> m_pixmaps;
    // What each control shows now.
    std::map<QLabel*, Label> m_shownLabels;
    std::map<QLabel*, PictureControl> m_shownPictures;
};
