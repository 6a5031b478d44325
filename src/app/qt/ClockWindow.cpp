#include "app/qt/ClockWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QTime>

#include "app/qt/LabelText.h"
#include "app/qt/Layout.h"
#include "app/qt/QtLog.h"
#include "app/qt/QtServices.h"
#include "clock/frmMain.h"
#include "ui/Texts.h"

namespace {

constexpr LabelColours kCyanOnBlack{0x00FFFF, 0x000000};
constexpr LabelColours kBlackOnGrey{0x000000, 0xA2A2A2};
// The corner marks in light grey, so they can be seen on their black boxes.
constexpr LabelColours kOnBlack{0xD0D0D0, 0x000000};

int buttonState(Qt::MouseButtons buttons) {
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
           (buttons & Qt::MiddleButton ? 4 : 0);
}

float twips(qreal px) {
    return static_cast<float>(px * layout::kTwipsPerPixel);
}

}  // namespace

ClockWindow::ClockWindow(QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint), m_tick([this] { tick(); }) {
    setWindowTitle(texts::caption);
    setFixedSize(layout::kWidth, layout::kHeight);
    setMouseTracking(true);

    // Created bottom-most first, so later widgets lie on top.
    m_bg = makePicture(layout::bg);
    m_bg->setMouseTracking(true);
    m_lblTime = makeLabel(layout::lblTime, Qt::AlignCenter, kCyanOnBlack);
    m_lblAMPM = makeLabel(layout::lblAMPM, Qt::AlignCenter, kCyanOnBlack);
    m_lblClose = makeLabel(layout::lblClose, Qt::AlignCenter, kOnBlack);
    m_lblMinimize = makeLabel(layout::lblMinimize, Qt::AlignCenter, kOnBlack);
    m_butSong = makePicture(layout::butSong);
    m_butBuzz = makePicture(layout::butBuzz);
    m_butTrack = makePicture(layout::butTrack);
    m_lblTrack = makeLabel(layout::lblTrack, Qt::AlignLeft | Qt::AlignVCenter, kBlackOnGrey);
    m_butSettings = makePicture(layout::butSettings);
    m_butOnOff = makePicture(layout::butOnOff);
    m_lblAlarm = makeLabel(layout::lblAlarm, Qt::AlignLeft | Qt::AlignVCenter, kCyanOnBlack);

    m_set.setSingleShot(true);
    m_set.setTimerType(Qt::PreciseTimer);
    connect(&m_set, &QTimer::timeout, this, [this] {
        if (m_form) dispatch([this] { m_form->tmrSet_Timer(); });
    });
}

QLabel* ClockWindow::makeLabel(const QRect& rect, Qt::Alignment align,
                               const LabelColours& colours) {
    auto* label = new QLabel(this);
    label->setGeometry(rect);
    label->setAlignment(align);
    // A palette, not a style sheet: the time label is repainted every second,
    // and style sheets make each repaint several times dearer.
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(colours.text));
    palette.setColor(QPalette::Window, QColor(colours.box));
    label->setPalette(palette);
    label->setAutoFillBackground(true);
    label->installEventFilter(this);
    return label;
}

QLabel* ClockWindow::makePicture(const QRect& rect) {
    auto* picture = new QLabel(this);
    picture->setGeometry(rect);
    picture->installEventFilter(this);
    return picture;
}

void ClockWindow::dispatch(const std::function<void()>& handler) {
    if (!m_form) return;
    handler();
    refresh();
}

void ClockWindow::startTicking() {
    m_tick.start();
}

void ClockWindow::tick() {
    if (!m_form || !m_form->tmrTime.Enabled) return;
    dispatch([this] { m_form->tmrTime_Timer(); });
    // The state line of each second: what the window shows, whether the alarm
    // is armed (butOnOff's tag) and whether it rings. The end-to-end tests and
    // benchmarks read it (QT_LOGGING_RULES="alarmclock.ui.debug=true"); keep
    // its words as they are.
    qCDebug(lcUi) << "lblTime" << m_lblTime->text() << "lblAMPM" << m_lblAMPM->text() << "butOnOff"
                  << m_form->butOnOff.Tag.c_str() << "blnAlarm" << m_form->blnAlarm;
}

QPixmap ClockWindow::pixmap(const std::string& name) {
    auto found = m_pixmaps.find(name);
    if (found != m_pixmaps.end()) return found->second;
    const QString path = QString::fromStdString(appFolder() + '/' + name);
    QPixmap loaded(path);  // a missing picture leaves the control empty
    m_pixmaps.emplace(name, loaded);
    return loaded;
}

// Each control is set only where it differs from what it shows, so that a
// tick repaints the time and nothing else.
void ClockWindow::showLabel(QLabel* widget, const Label& label, int pixelSize) {
    const auto [shown, first] = m_shownLabels.try_emplace(widget, label);
    const Label& was = shown->second;
    if (first || was.Caption != label.Caption)
        setLabelText(widget, QString::fromStdString(label.Caption));
    if (first || was.FontName != label.FontName || was.FontBold != label.FontBold) {
        QFont font(QString::fromStdString(label.FontName));
        font.setPixelSize(pixelSize);
        font.setBold(label.FontBold);
        widget->setFont(font);
    }
    if (first || was.Visible != label.Visible) widget->setVisible(label.Visible);
    shown->second = label;
}

void ClockWindow::showPicture(QLabel* widget, const PictureControl& picture) {
    const auto [shown, first] = m_shownPictures.try_emplace(widget, picture);
    const PictureControl& was = shown->second;
    if (first || was.Picture != picture.Picture) widget->setPixmap(pixmap(picture.Picture));
    if (first || was.Visible != picture.Visible) widget->setVisible(picture.Visible);
    shown->second = picture;
}

void ClockWindow::refresh() {
    if (!m_form) return;
    const frmMain& f = *m_form;
    showPicture(m_bg, f.bg);
    showPicture(m_butOnOff, f.butOnOff);
    showPicture(m_butSettings, f.butSettings);
    showPicture(m_butTrack, f.butTrack);
    showPicture(m_butBuzz, f.butBuzz);
    showPicture(m_butSong, f.butSong);
    showLabel(m_lblTime, f.lblTime, layout::kDisplayPx);
    showLabel(m_lblAMPM, f.lblAMPM, layout::kDisplayPx);
    showLabel(m_lblAlarm, f.lblAlarm, layout::kAlarmPx);
    const QString track = m_lblTrack->text();
    showLabel(m_lblTrack, f.lblTrack, layout::kTrackPx);
    if (m_lblTrack->text() != track) qCDebug(lcUi) << "lblTrack" << m_lblTrack->text();
    showLabel(m_lblMinimize, f.lblMinimize, layout::kCornerPx);
    showLabel(m_lblClose, f.lblClose, layout::kCornerPx);
    // The mute timer follows its enabled flag.
    if (f.tmrSet.Enabled && !m_set.isActive())
        m_set.start(f.tmrSet.Interval);
    else if (!f.tmrSet.Enabled)
        m_set.stop();
}

bool ClockWindow::eventFilter(QObject* watched, QEvent* event) {
    if (!m_form) return false;
    frmMain& f = *m_form;
    const auto* mouse = dynamic_cast<QMouseEvent*>(event);
    if (!mouse) return false;
    const QPointF at = mouse->position();
    const float x = twips(at.x()), y = twips(at.y());

    if (watched == m_bg) {
        switch (event->type()) {
            case QEvent::MouseButtonPress:
                dispatch([&] { f.bg_MouseDown(buttonState(mouse->button()), x, y); });
                return true;
            case QEvent::MouseMove:
                dispatch([&] { f.bg_MouseMove(buttonState(mouse->buttons()), x, y); });
                return true;
            case QEvent::MouseButtonRelease:
                dispatch([&] { f.bg_MouseUp(buttonState(mouse->button()), x, y); });
                if (m_bg->rect().contains(at.toPoint())) dispatch([&] { f.bg_Click(); });
                return true;
            default:
                return false;
        }
    }
    // A click is a left-button release over the control that was pressed.
    if (event->type() != QEvent::MouseButtonRelease || mouse->button() != Qt::LeftButton)
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (!widget->rect().contains(at.toPoint())) return false;
    if (watched == m_butOnOff)
        dispatch([&] { f.butOnOff_Click(); });
    else if (watched == m_butSettings)
        dispatch([&] { f.butSettings_Click(); });
    else if (watched == m_butTrack)
        dispatch([&] { f.butTrack_Click(); });
    else if (watched == m_lblMinimize)
        dispatch([&] { f.lblMinimize_Click(); });
    else if (watched == m_lblClose)
        dispatch([&] { f.lblClose_Click(); });
    else
        return false;
    return true;
}

void ClockWindow::mouseMoveEvent(QMouseEvent* event) {
    if (m_form) {
        const QPointF at = event->position();
        dispatch([&] {
            m_form->Form_MouseMove(buttonState(event->buttons()), twips(at.x()), twips(at.y()));
        });
    }
}

void ClockWindow::closeEvent(QCloseEvent* event) {
    if (m_form) m_form->Form_Unload();
    m_tick.stop();
    m_set.stop();
    event->accept();
    QCoreApplication::quit();
}
