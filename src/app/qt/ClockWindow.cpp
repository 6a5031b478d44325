#include "app/qt/ClockWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QTime>

#include "app/qt/KeyPress.h"
#include "app/qt/LabelText.h"
#include "app/qt/Layout.h"
#include "app/qt/QtLog.h"
#include "app/qt/QtServices.h"
#include "clock/Keyboard.h"
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
    using accessible::Part;
    m_bg = makePicture(new QLabel(this), layout::bg);
    m_bg->setMouseTracking(true);
    m_lblTime = makeLabel(new DescribedControl(this, Part::Time), layout::lblTime, Qt::AlignCenter,
                          kCyanOnBlack);
    m_lblAMPM = makeLabel(new QLabel(this), layout::lblAMPM, Qt::AlignCenter, kCyanOnBlack);
    m_lblClose = makeLabel(new DescribedControl(this, Part::Close), layout::lblClose,
                           Qt::AlignCenter, kOnBlack);
    m_lblMinimize = makeLabel(new DescribedControl(this, Part::Minimize), layout::lblMinimize,
                              Qt::AlignCenter, kOnBlack);
    m_butSong = makePicture(new QLabel(this), layout::butSong);
    m_butBuzz = makePicture(new QLabel(this), layout::butBuzz);
    m_butTrack = makePicture(new DescribedControl(this, Part::Track), layout::butTrack);
    m_lblTrack = makeLabel(new DescribedControl(this, Part::TrackLabel), layout::lblTrack,
                           Qt::AlignLeft | Qt::AlignVCenter, kBlackOnGrey);
    m_butSettings = makePicture(new DescribedControl(this, Part::Settings), layout::butSettings);
    m_butOnOff = makePicture(new DescribedControl(this, Part::OnOff), layout::butOnOff);
    m_lblAlarm = makeLabel(new DescribedControl(this, Part::AlarmTime), layout::lblAlarm,
                           Qt::AlignLeft | Qt::AlignVCenter, kCyanOnBlack);
    m_focusMark = new FocusMark(this);

    // Screen readers meet the controls in Tab's order, then the texts.
    installDescribedControls();
    m_described = {m_butOnOff, m_butTrack, m_butSettings, m_lblMinimize,
                   m_lblClose, m_lblTime,  m_lblAlarm,    m_lblTrack};
    // The keyboard's controls, in the core's order; Qt's own Tab chain agrees,
    // so the window's first focus goes to the first of them.
    QWidget* previous = nullptr;
    for (keyboard::Control control : keyboard::focusOrder) {
        DescribedControl* widget = widgetOf(control);
        widget->setFocusPolicy(Qt::StrongFocus);
        widget->setActivate([this, control] {
            if (m_form) dispatch([this, control] { clickControl(*m_form, control); });
        });
        if (previous) setTabOrder(previous, widget);
        previous = widget;
    }

    m_set.setSingleShot(true);
    m_set.setTimerType(Qt::PreciseTimer);
    connect(&m_set, &QTimer::timeout, this, [this] {
        if (m_form) dispatch([this] { m_form->tmrSet_Timer(); });
    });
}

template <typename Widget>
Widget* ClockWindow::makeLabel(Widget* label, const QRect& rect, Qt::Alignment align,
                               const LabelColours& colours) {
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

template <typename Widget>
Widget* ClockWindow::makePicture(Widget* picture, const QRect& rect) {
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
    for (DescribedControl* control : m_described)
        control->describe(describePart(f, control->part()));
    // The mute timer follows its enabled flag.
    if (f.tmrSet.Enabled && !m_set.isActive())
        m_set.start(f.tmrSet.Interval);
    else if (!f.tmrSet.Enabled)
        m_set.stop();
}

bool ClockWindow::eventFilter(QObject* watched, QEvent* event) {
    if (!m_form) return false;
    frmMain& f = *m_form;
    switch (event->type()) {
        case QEvent::KeyPress:
            return handleKey(static_cast<QKeyEvent&>(*event));
        case QEvent::FocusIn:
        case QEvent::FocusOut:
            showFocusMark();
            return false;
        case QEvent::MouseButtonPress:
            // A click gives the window the keyboard focus.
            if (!isActiveWindow()) activateWindow();
            break;
        default:
            break;
    }
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

bool ClockWindow::event(QEvent* event) {
    // Keys that reach the window itself (no control focused yet), Tab included.
    if (event->type() == QEvent::KeyPress && handleKey(static_cast<QKeyEvent&>(*event)))
        return true;
    return QWidget::event(event);
}

bool ClockWindow::focusNextPrevChild(bool next) {
    // Qt's own Tab handling: the core's order, as handleKey moves it.
    DescribedControl* widget = widgetOf(keyboard::nextFocus(focusedControl(), !next));
    widget->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void ClockWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Shown (at start, from the tray, by another start): the keyboard comes
    // here, to the first control unless one had the focus before.
    if (!focusedControl()) widgetOf(keyboard::focusOrder.front())->setFocus(Qt::OtherFocusReason);
    activateWindow();
}

bool ClockWindow::handleKey(const QKeyEvent& key) {
    if (!m_form) return false;
    const std::optional<keyboard::Control> focused = focusedControl();
    const keyboard::Response response = keyboard::respond(keyPressOf(key), focused);
    qCDebug(lcUi) << "key" << key.key() << "handled" << response.handled;
    if (!response.handled) return false;
    m_keyboardUsed = true;
    if (response.focus && response.focus != focused)
        widgetOf(*response.focus)->setFocus(Qt::TabFocusReason);
    showFocusMark();
    if (response.click) {
        const keyboard::Control control = *response.click;
        qCDebug(lcUi) << "key" << key.key() << "clicks control" << static_cast<int>(control);
        dispatch([this, control] { clickControl(*m_form, control); });
        // Back from a dialog the click opened: the keyboard comes back here,
        // also where no window manager hands it back.
        if (isVisible() && !isMinimized() && !isActiveWindow()) activateWindow();
    }
    return true;
}

std::optional<keyboard::Control> ClockWindow::focusedControl() const {
    for (keyboard::Control control : keyboard::focusOrder)
        if (widgetOf(control)->hasFocus()) return control;
    return std::nullopt;
}

DescribedControl* ClockWindow::widgetOf(keyboard::Control control) const {
    switch (control) {
        case keyboard::Control::OnOff:
            return m_butOnOff;
        case keyboard::Control::Track:
            return m_butTrack;
        case keyboard::Control::Settings:
            return m_butSettings;
        case keyboard::Control::Minimize:
            return m_lblMinimize;
        case keyboard::Control::Close:
            return m_lblClose;
    }
    return m_butOnOff;
}

void ClockWindow::showFocusMark() {
    const std::optional<keyboard::Control> focused = focusedControl();
    m_focusMark->ring(m_keyboardUsed && focused ? widgetOf(*focused)->geometry() : QRect());
}
