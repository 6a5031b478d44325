#include "app/qt/ClockWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QMouseEvent>

#include "app/qt/KeyPress.h"
#include "app/qt/LabelText.h"
#include "app/qt/QtLog.h"
#include "app/qt/QtServices.h"
#include "ui/Texts.h"

namespace {

int buttonsOf(Qt::MouseButtons buttons) {
    return (buttons & Qt::LeftButton ? face::kLeftButton : 0) |
           (buttons & Qt::RightButton ? face::kRightButton : 0) |
           (buttons & Qt::MiddleButton ? face::kMiddleButton : 0);
}

QRect rectOf(const face::Rect& r) {
    return {r.x, r.y, r.width, r.height};
}

}  // namespace

ClockWindow::ClockWindow(QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint), m_tick([this] { tick(); }) {
    setWindowTitle(texts::caption);
    setFixedSize(geometry::kWidthPx, geometry::kHeightPx);
    setMouseTracking(true);

    // Created bottom-most first, so later widgets lie on top. The window takes
    // the mouse itself and asks the rule book what lies under it.
    // The controls a screen reader meets carry the rules' description of them.
    installDescribedControls();
    for (const face::ControlRow& face : face::controls()) {
        const bool isDescribed = face.said.role != accessible::Role::None;
        QLabel* widget = isDescribed ? new DescribedControl(this, face.id) : new QLabel(this);
        widget->setObjectName(face.name);
        widget->setGeometry(rectOf(face.rect));
        widget->setAttribute(Qt::WA_TransparentForMouseEvents);
        if (face.kind() == face::Kind::label) {
            widget->setAlignment(face.look.align == face::Align::center
                                     ? Qt::AlignCenter
                                     : Qt::AlignLeft | Qt::AlignVCenter);
            // A palette, not a style sheet: the time label is repainted every
            // second, and style sheets make each repaint several times dearer.
            QPalette palette = widget->palette();
            palette.setColor(QPalette::WindowText, QColor(face::rgbOf(face.look.text)));
            palette.setColor(QPalette::Window, QColor(face::rgbOf(face.look.box)));
            widget->setPalette(palette);
            widget->setAutoFillBackground(true);
        }
        widget->hide();
        m_widgets[static_cast<size_t>(face.id)] = widget;
    }
    m_focusMark = new FocusMark(this);
    installAlertNote();
    m_alert = new AlertNote(this);
    m_alert->setObjectName("alert");
    // The keyboard's controls in the rules' order; Qt's own Tab chain agrees.
    QWidget* previous = nullptr;
    for (face::Control control : keyboard::focusOrder()) {
        DescribedControl* widget = described(control);
        widget->setFocusPolicy(Qt::TabFocus);
        widget->installEventFilter(this);
        widget->setActivate([this, control] {
            apply([control](FormWindow& rules) { return rules.activate(control); });
        });
        if (previous) setTabOrder(previous, widget);
        previous = widget;
    }

    m_set.setSingleShot(true);
    m_set.setTimerType(Qt::PreciseTimer);
    connect(&m_set, &QTimer::timeout, this, [this] { apply(&FormWindow::muteTimerElapsed); });
}

ClockWindow::~ClockWindow() = default;

void ClockWindow::setForm(frmMain* form) {
    m_rules = form ? std::make_unique<FormWindow>(*form) : nullptr;
}

void ClockWindow::dispatch(const std::function<void()>& handler) {
    if (m_rules) redraw(m_rules->run(handler));
}

void ClockWindow::apply(const std::function<Changes(FormWindow&)>& event) {
    if (m_rules) redraw(event(*m_rules));
}

void ClockWindow::startTicking() {
    m_tick.start();
}

void ClockWindow::tick() {
    if (!m_rules) return;
    redraw(m_rules->tick());
    qCDebug(lcUi).noquote() << m_rules->stateLine().c_str();
    // Hidden in the tray and not ringing, nothing needs the seconds.
    m_tick.setEveryMinute(!isVisible() && !m_rules->busyEachSecond());
}

QPixmap ClockWindow::pixmap(const std::string& name) {
    auto found = m_pixmaps.find(name);
    if (found != m_pixmaps.end()) return found->second;
    QPixmap loaded;  // a missing picture leaves the control empty
    if (!name.empty()) loaded.load(QString::fromStdString(appFolder() + '/' + name));
    m_pixmaps.emplace(name, loaded);
    return loaded;
}

// Only what changed is set again, so a tick repaints the time and nothing else.
void ClockWindow::redraw(const Changes& changes) {
    for (const face::ControlRow& row : face::controls())
        if (changes.changed(row.id)) showControl(row.id);
    // Names and states in the clock's language (the time's text is read when asked).
    if (m_rules)
        for (face::Control control : face::described())
            described(control)->describe(m_rules->describe(control));
    if (!changes.alert.empty()) {
        qCDebug(lcUi).noquote() << "alert:" << changes.alert.c_str();
        m_alert->tell(QString::fromStdString(changes.alert));
    } else if (m_rules && m_rules->ringingAlert().empty()) {
        m_alert->withdraw();
    }
    if (changes.muteTimer == Changes::Timer::start)
        m_set.start(changes.muteTimerInterval);
    else if (changes.muteTimer == Changes::Timer::stop)
        m_set.stop();
}

void ClockWindow::showControl(face::Control control) {
    const face::ControlRow& face = face::rowOf(control);
    const ControlView& view = m_rules->view(control);
    QLabel* widget = m_widgets[static_cast<size_t>(control)];
    if (face.kind() == face::Kind::picture) {
        widget->setPixmap(pixmap(view.picture));
    } else {
        const QString caption = QString::fromStdString(view.caption);
        if (control == face::Control::lblTrack && widget->text() != caption)
            qCDebug(lcUi) << "lblTrack" << caption;
        QFont font(QString::fromStdString(view.fontName));
        font.setPixelSize(face.look.fontPx);
        font.setBold(view.bold);
        if (widget->font() != font) widget->setFont(font);
        setLabelText(widget, caption);
    }
    widget->setVisible(view.visible);
}

void ClockWindow::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (m_rules) redraw(m_rules->mouseDown(at.x(), at.y(), buttonsOf(event->button())));
}

void ClockWindow::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (m_rules) redraw(m_rules->mouseMove(at.x(), at.y(), buttonsOf(event->buttons())));
}

void ClockWindow::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (m_rules) redraw(m_rules->mouseUp(at.x(), at.y(), buttonsOf(event->button())));
}

bool ClockWindow::event(QEvent* event) {
    // Keys that reach the window itself (no control focused yet), Tab included.
    if (event->type() == QEvent::KeyPress && handleKey(static_cast<QKeyEvent&>(*event)))
        return true;
    // The mouse taken away mid-press: another window grabbed it or this one lost
    // the focus to another (Alt+Tab, a dialog).
    if (m_rules &&
        (event->type() == QEvent::UngrabMouse || event->type() == QEvent::WindowDeactivate)) {
        qCDebug(lcUi) << "mouse lost:" << event->type();
        redraw(m_rules->mouseLost());
    }
    return QWidget::event(event);
}

void ClockWindow::closeEvent(QCloseEvent* event) {
    if (m_rules) redraw(m_rules->unload());
    m_tick.stop();
    event->accept();
    QCoreApplication::quit();
}

bool ClockWindow::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
            return handleKey(static_cast<QKeyEvent&>(*event));
        case QEvent::FocusIn:
            // Also a screen reader's "set focus" on a control.
            if (m_rules) m_rules->setFocused(static_cast<DescribedControl*>(watched)->control());
            showFocusMark();
            return false;
        case QEvent::FocusOut:
            showFocusMark();
            return false;
        default:
            return false;
    }
}

bool ClockWindow::focusNextPrevChild(bool next) {
    // Qt's own Tab handling, as the rules' key table does it.
    keyboard::KeyPress tab;
    tab.key = keyboard::Key::Tab;
    tab.shift = !next;
    if (m_rules) m_rules->key(tab);
    followFocus();
    return true;
}

void ClockWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Back from the tray: the seconds again, and the time shown now, not at the next minute.
    if (m_tick.everyMinute()) {
        m_tick.setEveryMinute(false);
        tick();
    }
    // Shown (at start, from the tray, by another start): the keyboard comes
    // here, to the first control.
    if (m_rules) m_rules->shown();
    followFocus();
    activateWindow();
}

bool ClockWindow::handleKey(const QKeyEvent& key) {
    if (!m_rules) return false;
    // Keys come only to the window that has the keyboard. Qt can miss the
    // display server's word of it when the window is shown again and focused
    // at once (from the tray): then its focus would stay nowhere. Qt 6.5 and
    // later deprecate this call for activateWindow(), which only asks the
    // display server and so cannot mend a word Qt missed.
    if (isVisible() && !isActiveWindow() && !QApplication::activeModalWidget()) {
        QT_WARNING_PUSH
        QT_WARNING_DISABLE_DEPRECATED
        QApplication::setActiveWindow(this);
        QT_WARNING_POP
    }
    const std::optional<Changes> changes = m_rules->key(keyPressOf(key));
    qCDebug(lcUi) << "key" << key.key() << (changes ? "taken" : "left");
    if (!changes) return false;
    redraw(*changes);
    followFocus();
    // Back from a dialog the key opened: the keyboard comes back here, also
    // where no window manager hands it back.
    if (isVisible() && !isMinimized() && !isActiveWindow()) activateWindow();
    return true;
}

DescribedControl* ClockWindow::described(face::Control control) const {
    return static_cast<DescribedControl*>(m_widgets[static_cast<size_t>(control)]);
}

void ClockWindow::followFocus() {
    if (!m_rules) return;
    DescribedControl* widget = described(m_rules->focused());
    if (!widget->hasFocus()) widget->setFocus(Qt::TabFocusReason);
    showFocusMark();
}

void ClockWindow::showFocusMark() {
    const std::optional<face::Rect> mark =
        m_rules ? m_rules->focusMark(described(m_rules->focused())->hasFocus()) : std::nullopt;
    m_focusMark->ring(mark ? rectOf(*mark) : QRect());
}
