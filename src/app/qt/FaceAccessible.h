#pragma once
// The painted controls as Qt's accessibility (AT-SPI) sees them: one
// accessible object per control a screen reader meets, children of the
// window's own, each carrying the core's description of it (name, role,
// state, default action, text, key, tooltip).

#include <QAccessible>
#include <QWidget>
#include <array>
#include <functional>

#include "clock/ControlTable.h"

class ControlAccessible;

class FaceAccessible {
  public:
    // What the objects read off the window and do to it.
    struct Window {
        std::function<bool(face::Control)> visible;
        // The control with the keyboard focus while the window has it; none otherwise.
        std::function<std::optional<face::Control>()> focused;
        std::function<void(face::Control)> activate;  // the control's click
        std::function<void(face::Control)> focus;     // a screen reader's "set focus"
    };

    FaceAccessible(QWidget* window, Window hooks);
    ~FaceAccessible();
    FaceAccessible(const FaceAccessible&) = delete;
    FaceAccessible& operator=(const FaceAccessible&) = delete;

    // Takes the core's description of a control; tells screen readers of a
    // new name, tooltip or state, but not of a new text (the time changes
    // every second).
    void describe(face::Control control, const accessible::Description& description);
    const accessible::Description& description(face::Control control) const;
    // Tells screen readers which control has the focus now.
    void focusMoved();

    QWidget* window() const { return m_window; }
    const Window& hooks() const { return m_hooks; }
    // The controls' objects, in the reader's order.
    int count() const;
    QAccessibleInterface* child(int index) const;
    int indexOf(const QAccessibleInterface* child) const;
    QAccessibleInterface* of(face::Control control) const;

    // The controls of the window `widget`, when it has any.
    static FaceAccessible* of(const QWidget* widget);

  private:
    QWidget* m_window;
    Window m_hooks;
    std::array<accessible::Description, face::kControlCount> m_descriptions{};
    std::array<bool, face::kControlCount> m_described{};
    std::vector<ControlAccessible*> m_children;
    std::vector<QAccessible::Id> m_ids;
};

// Lets Qt's accessibility find the window's interface (class `className`),
// whose children are the controls, then the window's child widgets.
void installFaceAccessible(const char* className);
