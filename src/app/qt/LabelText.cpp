#include "app/qt/LabelText.h"

#include <QFontMetrics>

void setLabelText(QLabel* label, const QString& text) {
    const QString old = label->text();
    if (old == text) return;
    const QFontMetrics metrics(label->font());
    const int width = metrics.horizontalAdvance(text);
    if (!label->isVisible() || old.size() != text.size() ||
        metrics.horizontalAdvance(old) != width) {
        label->setText(text);
        return;
    }
    qsizetype first = 0;
    while (old[first] == text[first]) ++first;
    qsizetype end = text.size();
    while (old[end - 1] == text[end - 1]) --end;

    // QLabel repaints all of itself on a new text: keep it from doing so.
    label->setAttribute(Qt::WA_UpdatesDisabled, true);
    label->setText(text);
    label->setAttribute(Qt::WA_UpdatesDisabled, false);

    const QRect box = label->contentsRect();
    const Qt::Alignment align = label->alignment();
    int left = box.left();
    if (align & Qt::AlignHCenter)
        left += (box.width() - width) / 2;
    else if (align & Qt::AlignRight)
        left = box.right() + 1 - width;
    // A few pixels either side for glyphs that reach past their advance.
    const int margin = metrics.height() / 8 + 2;
    const int from = left + metrics.horizontalAdvance(text.left(first)) - margin;
    const int to = left + metrics.horizontalAdvance(text.left(end)) + margin;
    label->update(QRect(from, box.top(), to - from, box.height()).intersected(box));
}
