#pragma once
// The borderless clock-radio window. It draws frmMain's controls, turns Qt's
// mouse events into frmMain's (in twips), and runs its two timers.

#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <map>

#include "app/qt/WallClockTicker.h"
#include "clock/Controls.h"

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
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    QLabel* makeLabel(const QRect& rect, Qt::Alignment align, const LabelColours& colours);
    QLabel* makePicture(const QRect& rect);
    void showLabel(QLabel* widget, const Label& label, int pixelSize);
    void showPicture(QLabel* widget, const PictureControl& picture);
    void tick();
    QPixmap pixmap(const std::string& name);

    frmMain* m_form = nullptr;
    QLabel* m_bg;
    QLabel* m_butBuzz;
    QLabel* m_butSong;
    QLabel* m_butOnOff;
    QLabel* m_butSettings;
    QLabel* m_butTrack;
    QLabel* m_lblTrack;
    QLabel* m_lblAlarm;
    QLabel* m_lblTime;
    QLabel* m_lblAMPM;
    QLabel* m_lblMinimize;
    QLabel* m_lblClose;
    WallClockTicker m_tick;
    QTimer m_set;
    std::map<std::string, QPixmap> m_pixmaps;
    // What each control shows now.
    std::map<QLabel*, Label> m_shownLabels;
    std::map<QLabel*, PictureControl> m_shownPictures;
};
