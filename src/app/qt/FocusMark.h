#pragma once
// The mark around the control that has the keyboard focus: a ring of the
// display's cyan between two black lines, seen on the black panel and on the
// grey housing alike. It lies over the window and lets the mouse through.

#include <QWidget>

class FocusMark : public QWidget {
  public:
    explicit FocusMark(QWidget* parent);
    // Rings `control` (in the parent's coordinates); an empty rectangle hides it.
    void ring(const QRect& control);

  protected:
    void paintEvent(QPaintEvent* event) override;
};
