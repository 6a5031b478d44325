#include "app/qt/FocusMark.h"

#include <QPainter>

namespace {
constexpr int kGap = 1;    // between the control and the ring
constexpr int kWidth = 4;  // black, cyan, cyan, black
}  // namespace

FocusMark::FocusMark(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    hide();
}

void FocusMark::ring(const QRect& control) {
    if (control.isEmpty()) {
        hide();
        return;
    }
    const int out = kGap + kWidth;
    setGeometry(control.adjusted(-out, -out, out, out));
    raise();
    show();
    update();
}

void FocusMark::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect all = rect();
    painter.setPen(Qt::NoPen);
    // From the outside in: black, two lines of cyan, black.
    const QColor colours[kWidth] = {Qt::black, QColor(0x00FFFF), QColor(0x00FFFF), Qt::black};
    for (int i = 0; i < kWidth; ++i) {
        painter.setPen(colours[i]);
        painter.drawRect(all.adjusted(i, i, -i - 1, -i - 1));
    }
}
