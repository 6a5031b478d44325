#include "app/qt/DescribedControl.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QMetaObject>

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

class DescribedAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
  public:
    explicit DescribedAccessible(DescribedControl* control)
        : QAccessibleWidget(control, roleOf(control->description().role)) {}

    DescribedControl* control() const { return static_cast<DescribedControl*>(widget()); }
    const accessible::Description& said() const { return control()->description(); }
    // Pressable: a button whose default action clicks it.
    bool isButton() const { return said().pressable; }

    static QAccessible::Role roleOf(accessible::Role role) {
        return role == accessible::Role::Label ? QAccessible::StaticText : QAccessible::Button;
    }

    QAccessible::Role role() const override { return roleOf(said().role); }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        if (said().checked) {
            s.checkable = true;
            s.checked = *said().checked;
            s.pressed = *said().checked;
        }
        if (!isButton()) s.readOnly = true;
        return s;
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value && !isButton()) return qs(said().text);
        if (t == QAccessible::Accelerator) return qs(said().shortcut);
        return QAccessibleWidget::text(t);
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface && !isButton())
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    // The default action: the control's click.
    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        if (isButton()) {
            names.prepend(pressAction());
        }
        return names;
    }
    void doAction(const QString& name) override {
        if (isButton() && name == pressAction())
            // After the call returns: the click may open a dialog.
            QMetaObject::invokeMethod(control(), &DescribedControl::activate, Qt::QueuedConnection);
        else
            QAccessibleWidget::doAction(name);
    }
    QStringList keyBindingsForAction(const QString& name) const override {
        if (isButton() && name == pressAction() && !said().shortcut.empty())
            return {qs(said().shortcut)};
        return QAccessibleWidget::keyBindingsForAction(name);
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
};

QAccessibleInterface* describedFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("DescribedControl"))
        return new DescribedAccessible(static_cast<DescribedControl*>(object));
    return nullptr;
}

}  // namespace

DescribedControl::DescribedControl(QWidget* parent, face::Control control)
    : QLabel(parent), m_control(control) {}

void DescribedControl::describe(const accessible::Description& d) {
    const bool first = !m_described;
    const accessible::Description was = m_description;
    m_description = d;
    m_described = true;
    // Through the widget's own properties, so that QLabel's text changes do
    // not announce themselves (it does when it has no accessible name).
    if (first || was.name != d.name) setAccessibleName(qs(d.name));
    if (first || was.tooltip != d.tooltip) {
        setToolTip(qs(d.tooltip));
        setAccessibleDescription(qs(d.tooltip));
    }
    if (!first && was.checked != d.checked && QAccessible::isActive()) {
        QAccessible::State changed;
        changed.checked = true;
        changed.pressed = true;
        QAccessibleStateChangeEvent event(this, changed);
        QAccessible::updateAccessibility(&event);
    }
}

void DescribedControl::activate() {
    if (m_activate) m_activate();
}

void installDescribedControls() {
    static const bool installed = [] {
        QAccessible::installFactory(describedFactory);
        return true;
    }();
    (void)installed;
}
