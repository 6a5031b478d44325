#include "app/qt/FaceAccessible.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QMetaObject>
#include <QTimer>
#include <algorithm>

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

QHash<const QWidget*, FaceAccessible*>& faces() {
    static QHash<const QWidget*, FaceAccessible*> all;
    return all;
}

}  // namespace

// One painted control: a button or a text, with no widget of its own.
class ControlAccessible : public QAccessibleInterface,
                          public QAccessibleActionInterface,
                          public QAccessibleTextInterface {
  public:
    ControlAccessible(FaceAccessible& face, face::Control control)
        : m_face(face), m_control(control) {}

    const accessible::Description& said() const { return m_face.description(m_control); }
    // Pressable: a button whose default action clicks it.
    bool isButton() const { return said().pressable; }

    bool isValid() const override { return true; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_face.window()->windowHandle(); }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(m_face.window());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QAccessible::Role role() const override {
        return said().role == accessible::Role::Label ? QAccessible::StaticText
                                                      : QAccessible::Button;
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!m_face.hooks().visible(m_control) || !m_face.window()->isVisible()) s.invisible = true;
        if (isButton()) {
            s.focusable = true;
            s.focused = m_face.hooks().focused() == m_control;
        } else {
            s.readOnly = true;
        }
        if (said().checked) {
            s.checkable = true;
            s.checked = *said().checked;
            s.pressed = *said().checked;
        }
        return s;
    }
    QString text(QAccessible::Text t) const override {
        switch (t) {
            case QAccessible::Name:
                return qs(said().name);
            case QAccessible::Description:
                return qs(said().tooltip);
            case QAccessible::Value:
                return isButton() ? QString() : qs(said().text);
            case QAccessible::Accelerator:
                return qs(said().shortcut);
            default:
                return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        const face::Rect& r = face::rowOf(m_control).rect;
        return {m_face.window()->mapToGlobal(QPoint(r.x, r.y)), QSize(r.width, r.height)};
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface*>(this);
        if (type == QAccessible::TextInterface && !isButton())
            return static_cast<QAccessibleTextInterface*>(this);
        return nullptr;
    }

    // The default action: the control's click; and the focus, as Tab gives it.
    QStringList actionNames() const override {
        if (!isButton()) return {};
        return {pressAction(), setFocusAction()};
    }
    void doAction(const QString& name) override {
        if (!isButton()) return;
        FaceAccessible* face = &m_face;
        const face::Control control = m_control;
        // After the call returns: the click may open a dialog.
        if (name == pressAction())
            QTimer::singleShot(0, face->window(),
                               [face, control] { face->hooks().activate(control); });
        else if (name == setFocusAction())
            face->hooks().focus(control);
    }
    QStringList keyBindingsForAction(const QString& name) const override {
        if (isButton() && name == pressAction() && !said().shortcut.empty())
            return {qs(said().shortcut)};
        return {};
    }

    // The shown text of a display or label, read on demand.
    QString fullText() const { return qs(said().text); }
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int start, int end) const override {
        return fullText().mid(start, end < 0 ? -1 : end - start);
    }
    int characterCount() const override { return static_cast<int>(fullText().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* start, int* end) const override {
        *start = 0;
        *end = characterCount();
        return {};
    }

  private:
    FaceAccessible& m_face;
    face::Control m_control;
};

namespace {

// The window: its controls first, in the reader's order, then its child
// widgets (the alert).
class WindowAccessible : public QAccessibleWidget {
  public:
    explicit WindowAccessible(QWidget* window) : QAccessibleWidget(window) {}

    FaceAccessible* face() const { return FaceAccessible::of(widget()); }
    int controls() const { return face() ? face()->count() : 0; }

    int childCount() const override { return controls() + QAccessibleWidget::childCount(); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0) return nullptr;
        if (index < controls()) return face()->child(index);
        return QAccessibleWidget::child(index - controls());
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (FaceAccessible* f = face()) {
            const int at = f->indexOf(child);
            if (at >= 0) return at;
        }
        const int at = QAccessibleWidget::indexOfChild(child);
        return at < 0 ? at : at + controls();
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        if (FaceAccessible* f = face()) {
            const QPoint at = widget()->mapFromGlobal(QPoint(x, y));
            const face::Control control = face::controlAt(at.x(), at.y(), f->hooks().visible);
            if (QAccessibleInterface* found = f->of(control)) return found;
        }
        return QAccessibleWidget::childAt(x, y);
    }
    QAccessibleInterface* focusChild() const override {
        if (FaceAccessible* f = face())
            if (const auto control = f->hooks().focused()) return f->of(*control);
        return QAccessibleWidget::focusChild();
    }
};

const char* windowClass = nullptr;

QAccessibleInterface* windowFactory(const QString& className, QObject* object) {
    if (windowClass && className == QLatin1String(windowClass) && object->isWidgetType())
        return new WindowAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

}  // namespace

FaceAccessible::FaceAccessible(QWidget* window, Window hooks)
    : m_window(window), m_hooks(std::move(hooks)) {
    faces().insert(window, this);
    for (face::Control control : face::described()) {
        auto* child = new ControlAccessible(*this, control);
        m_children.push_back(child);
        m_ids.push_back(QAccessible::registerAccessibleInterface(child));
    }
}

FaceAccessible::~FaceAccessible() {
    for (QAccessible::Id id : m_ids) QAccessible::deleteAccessibleInterface(id);
    faces().remove(m_window);
}

FaceAccessible* FaceAccessible::of(const QWidget* widget) {
    return faces().value(widget, nullptr);
}

int FaceAccessible::count() const {
    return static_cast<int>(m_children.size());
}

QAccessibleInterface* FaceAccessible::child(int index) const {
    return index >= 0 && index < count() ? m_children[static_cast<size_t>(index)] : nullptr;
}

int FaceAccessible::indexOf(const QAccessibleInterface* child) const {
    const auto found = std::find(m_children.begin(), m_children.end(), child);
    return found == m_children.end() ? -1 : static_cast<int>(found - m_children.begin());
}

QAccessibleInterface* FaceAccessible::of(face::Control control) const {
    const auto all = face::described();
    const auto found = std::find(all.begin(), all.end(), control);
    return found == all.end() ? nullptr : child(static_cast<int>(found - all.begin()));
}

const accessible::Description& FaceAccessible::description(face::Control control) const {
    return m_descriptions[static_cast<size_t>(control)];
}

void FaceAccessible::describe(face::Control control, const accessible::Description& d) {
    const size_t at = static_cast<size_t>(control);
    const bool first = !m_described[at];
    const accessible::Description was = m_descriptions[at];
    m_descriptions[at] = d;
    m_described[at] = true;
    QAccessibleInterface* iface = of(control);
    if (first || !iface || !QAccessible::isActive()) return;
    if (was.name != d.name) {
        QAccessibleEvent event(iface, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
    if (was.tooltip != d.tooltip) {
        QAccessibleEvent event(iface, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&event);
    }
    if (was.checked != d.checked) {
        QAccessible::State changed;
        changed.checked = true;
        changed.pressed = true;
        QAccessibleStateChangeEvent event(iface, changed);
        QAccessible::updateAccessibility(&event);
    }
}

void FaceAccessible::focusMoved() {
    if (!QAccessible::isActive()) return;
    const auto control = m_hooks.focused();
    if (QAccessibleInterface* iface = control ? of(*control) : nullptr) {
        QAccessibleEvent event(iface, QAccessible::Focus);
        QAccessible::updateAccessibility(&event);
    }
}

void installFaceAccessible(const char* className) {
    static const bool installed = [className] {
        windowClass = className;
        QAccessible::installFactory(windowFactory);
        return true;
    }();
    (void)installed;
}
