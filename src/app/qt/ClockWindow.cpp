#include "app/qt/ClockWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>

#include "app/qt/KeyPress.h"
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
    : QWidget(parent, Qt::FramelessWindowHint), m_due([this] { apply(&FormWindow::timersDue); }) {
    setWindowTitle(texts::caption);
    setFixedSize(geometry::kWidthPx, geometry::kHeightPx);
    setMouseTracking(true);
    // The background picture covers the window: nothing to fill first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The window takes the keys itself; the rules keep which control has the focus.
    setFocusPolicy(Qt::StrongFocus);

    installFaceAccessible("ClockWindow");
    FaceAccessible::Window hooks;
    hooks.visible = [this](face::Control control) { return visible(control); };
    hooks.focused = [this]() -> std::optional<face::Control> {
        if (!m_rules || !hasFocus()) return std::nullopt;
        return m_rules->focused();
    };
    hooks.activate = [this](face::Control control) {
        apply([control](FormWindow& rules) { return rules.activate(control); });
    };
    hooks.focus = [this](face::Control control) {
        if (m_rules) m_rules->setFocused(control);
        followFocus();
    };
    m_accessible = std::make_unique<FaceAccessible>(this, std::move(hooks));
    installAlertNote();
    m_alert = new AlertNote(this);
    m_alert->setObjectName("alert");
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

const QPixmap& ClockWindow::pixmap(const std::string& name) {
    auto found = m_pixmaps.find(name);
    if (found != m_pixmaps.end()) return found->second;
    QPixmap loaded;  // a missing picture leaves the control empty
    if (!name.empty()) loaded.load(QString::fromStdString(appFolder() + '/' + name));
    return m_pixmaps.emplace(name, loaded).first->second;
}

bool ClockWindow::visible(face::Control control) const {
    return m_rules && m_rules->view(control).visible;
}

// Only what changed is painted again, so a tick repaints the time's last
// digit and nothing else.
void ClockWindow::redraw(const Changes& changes) {
    for (const face::ControlRow& row : face::controls())
        if (changes.changed(row.id)) repaintControl(row.id);
    // Names and states in the clock's language (the time's text is read when asked).
    if (m_rules)
        for (face::Control control : face::described())
            m_accessible->describe(control, m_rules->describe(control));
    if (!changes.alert.empty()) {
        qCDebug(lcUi).noquote() << "alert:" << changes.alert.c_str();
        m_alert->tell(QString::fromStdString(changes.alert));
    } else if (m_rules && m_rules->ringingAlert().empty()) {
        m_alert->withdraw();
    }
    if (m_rules) m_due.arm(m_rules->nextDue());
}

namespace {

Qt::Alignment alignOf(const face::ControlRow& row) {
    return row.look.align == face::Align::center ? Qt::AlignCenter
                                                 : Qt::AlignLeft | Qt::AlignVCenter;
}

QFont fontOf(const face::ControlRow& row, const ControlView& view) {
    QFont font(QString::fromStdString(view.fontName));
    font.setPixelSize(row.look.fontPx);
    font.setBold(view.bold);
    return font;
}

}  // namespace

void ClockWindow::repaintControl(face::Control control) {
    const face::ControlRow& row = face::rowOf(control);
    const ControlView& view = m_rules->view(control);
    ControlView& painted = m_painted[static_cast<size_t>(control)];
    const QRect box = rectOf(row.rect);
    if (control == face::Control::lblTrack && view.caption != painted.caption)
        qCDebug(lcUi) << "lblTrack" << QString::fromStdString(view.caption);
    if (row.kind() == face::Kind::label && view.visible && painted.visible &&
        view.fontName == painted.fontName && view.bold == painted.bold)
        update(FaceText::changed(box, alignOf(row), fontOf(row, view),
                                 QString::fromStdString(painted.caption),
                                 QString::fromStdString(view.caption)));
    else
        update(box);
    painted = view;
}

void ClockWindow::paintEvent(QPaintEvent* event) {
    if (!m_rules) return;
    QPainter painter(this);
    // Bottom-most first, so later controls lie on top.
    for (const face::ControlRow& row : face::controls())
        if (event->region().intersects(rectOf(row.rect)) && visible(row.id))
            paintControl(painter, row);
    paintFocusMark(painter);
}

void ClockWindow::paintControl(QPainter& painter, const face::ControlRow& row) {
    const ControlView& view = m_rules->view(row.id);
    const QRect box = rectOf(row.rect);
    if (row.kind() == face::Kind::picture) {
        const QPixmap& picture = pixmap(view.picture);
        if (picture.isNull()) return;
        // As a label shows a picture: at its left, centred upright, cut to the control.
        painter.save();
        painter.setClipRect(box, Qt::IntersectClip);
        const QSize size = picture.deviceIndependentSize().toSize();
        painter.drawPixmap(box.left(), box.top() + (box.height() - size.height()) / 2, picture);
        painter.restore();
        return;
    }
    painter.fillRect(box, QColor(face::rgbOf(row.look.box)));
    m_text.draw(painter, box, alignOf(row), fontOf(row, view), QColor(face::rgbOf(row.look.text)),
                QString::fromStdString(view.caption));
}

void ClockWindow::paintFocusMark(QPainter& painter) {
    const std::optional<face::Rect> mark = m_rules->focusMark(hasFocus());
    if (!mark) return;
    // Its lines from the outside in, one pixel each.
    const int lines = static_cast<int>(face::kFocusRing.size());
    const int out = face::kFocusGap + lines;
    const QRect ring = rectOf(*mark).adjusted(-out, -out, out, out);
    painter.setBrush(Qt::NoBrush);
    for (int i = 0; i < lines; ++i) {
        painter.setPen(QColor(face::rgbOf(face::kFocusRing[static_cast<size_t>(i)])));
        painter.drawRect(ring.adjusted(i, i, -i - 1, -i - 1));
    }
}

void ClockWindow::showToolTip(const QHelpEvent& help) {
    const face::Control under = face::controlAt(help.pos().x(), help.pos().y(),
                                                [this](face::Control c) { return visible(c); });
    const std::string& tip = m_accessible->description(under).tooltip;
    if (tip.empty())
        QToolTip::hideText();
    else
        QToolTip::showText(help.globalPos(), QString::fromStdString(tip), this,
                           rectOf(face::rowOf(under).rect));
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
    // The keys, Tab included, before Qt's own focus chain sees them.
    if (event->type() == QEvent::KeyPress && handleKey(static_cast<QKeyEvent&>(*event)))
        return true;
    if (event->type() == QEvent::ToolTip) {
        showToolTip(static_cast<QHelpEvent&>(*event));
        return true;
    }
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
    m_due.arm(std::nullopt);
    event->accept();
    QCoreApplication::quit();
}

void ClockWindow::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();  // the focus mark
    if (m_accessible) m_accessible->focusMoved();
}

void ClockWindow::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
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
    if (m_rules) m_due.arm(m_rules->nextDue());
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

void ClockWindow::followFocus() {
    if (!m_rules) return;
    if (!hasFocus()) setFocus(Qt::TabFocusReason);
    // The mark moves with the focus: all of it is painted again.
    update();
    m_accessible->focusMoved();
}
