#include "app/qt/FocusMark.h"

#include <QPainter>

#include "ui/Face.h"

namespace {
constexpr int kWidth = static_cast<int>(face::kFocusRing.size());
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
    const int out = face::kFocusGap + kWidth;
    setGeometry(control.adjusted(-out, -out, out, out));
    raise();
    show();
    update();
}

void FocusMark::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect all = rect();
    painter.setPen(Qt::NoPen);
    // From the outside in, one line each.
    for (int i = 0; i < kWidth; ++i) {
        painter.setPen(QColor(face::rgbOf(face::kFocusRing[static_cast<size_t>(i)])));
        painter.drawRect(all.adjusted(i, i, -i - 1, -i - 1));
    }
}
