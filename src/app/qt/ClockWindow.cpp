#include "app/qt/ClockWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMouseEvent>

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
    for (const face::ControlFace& face : face::controls()) {
        auto* widget = new QLabel(this);
        widget->setObjectName(face.name);
        widget->setGeometry(rectOf(face.rect));
        widget->setAttribute(Qt::WA_TransparentForMouseEvents);
        if (face.kind == face::Kind::label) {
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
    for (const face::ControlFace& face : face::controls())
        if (changes.changed(face.id)) showControl(face.id);
    if (changes.muteTimer == Changes::Timer::start)
        m_set.start(changes.muteTimerInterval);
    else if (changes.muteTimer == Changes::Timer::stop)
        m_set.stop();
}

void ClockWindow::showControl(face::Control control) {
    const face::ControlFace& face = face::faceOf(control);
    const ControlView& view = m_rules->view(control);
    QLabel* widget = m_widgets[static_cast<size_t>(control)];
    if (face.kind == face::Kind::picture) {
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
    // The mouse taken away mid-press: another window grabbed it or this one lost
    // the focus to another (Alt+Tab, a dialog).
    if (m_rules &&
        (event->type() == QEvent::UngrabMouse || event->type() == QEvent::WindowDeactivate))
        redraw(m_rules->mouseLost());
    return QWidget::event(event);
}

void ClockWindow::closeEvent(QCloseEvent* event) {
    if (m_rules) redraw(m_rules->unload());
    m_tick.stop();
    event->accept();
    QCoreApplication::quit();
}
