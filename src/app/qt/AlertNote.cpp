#include "app/qt/AlertNote.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace {

// An alert whose name is its text; showing once it has told something,
// whether or not its window is on the screen.
class AlertAccessible : public QAccessibleWidget {
  public:
    explicit AlertAccessible(AlertNote* note)
        : QAccessibleWidget(note, QAccessible::AlertMessage) {}

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.invisible = !static_cast<const AlertNote*>(widget())->told();
        s.offscreen = false;
        return s;
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Description) return {};
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* alertFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("AlertNote"))
        return new AlertAccessible(static_cast<AlertNote*>(object));
    return nullptr;
}

}  // namespace

AlertNote::AlertNote(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(0, 0, 0, 0);
    // Never painted: only screen readers meet it.
    hide();
}

void AlertNote::tell(const QString& text) {
    m_told = true;
    setAccessibleName(text);
    if (!QAccessible::isActive()) return;
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
    QAccessibleEvent shown(this, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QAccessibleAnnouncementEvent announcement(this, text);
    announcement.setPoliteness(QAccessible::AnnouncementPoliteness::Assertive);
    QAccessible::updateAccessibility(&announcement);
#endif
}

void AlertNote::withdraw() {
    if (!m_told) return;
    m_told = false;
    if (!QAccessible::isActive()) return;
    QAccessibleEvent hidden(this, QAccessible::ObjectHide);
    QAccessible::updateAccessibility(&hidden);
}

void installAlertNote() {
    static const bool installed = [] {
        QAccessible::installFactory(alertFactory);
        return true;
    }();
    (void)installed;
}
