#pragma once
// A control of the window that a screen reader can name: a label (a picture
// or a text) that carries the core's description of it, with the role, state,
// default action and text that Qt's accessibility (AT-SPI) hands on.

#include <QLabel>
#include <functional>
#include <optional>

#include "ui/AccessibleText.h"
#include "ui/Face.h"

class DescribedControl : public QLabel {
    Q_OBJECT

  public:
    DescribedControl(QWidget* parent, face::Control control);
    face::Control control() const { return m_control; }
    const accessible::Description& description() const { return m_description; }
    // Takes the core's description; tells screen readers of a new name or
    // state, but not of a new text (the time changes every second).
    void describe(const accessible::Description& description);
    // What the default action does: the control's click, run from the event loop.
    void setActivate(std::function<void()> activate) { m_activate = std::move(activate); }
    void activate();

  private:
    face::Control m_control;
    accessible::Description m_description;
    bool m_described = false;
    std::function<void()> m_activate;
};

// Lets Qt's accessibility find the interfaces of DescribedControl.
void installDescribedControls();
