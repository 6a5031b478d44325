#include "app/qt/FaceText.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QList>
#include <QtMath>

namespace {

// Qt's raster engine keeps pictures of glyphs up to 64 pixels only: larger
// text is filled from its outlines at every paint, about a millisecond for
// the clock's eight 96-pixel characters. Such text is drawn from pictures of
// its characters instead, each made once.
constexpr int kLargest = 64;

// Where each character of a one-line text starts, and (last) where it ends,
// from the characters' own advances: no shaping, which costs more than the
// drawing. The clock's texts have no kerning or ligatures.
QList<qreal> offsets(const QFontMetricsF& metrics, const QString& text) {
    QList<qreal> at(text.size() + 1, 0);
    for (qsizetype i = 0; i < text.size(); ++i)
        at[i + 1] = at[i] + metrics.horizontalAdvance(text[i]);
    return at;
}

// Where the text of `width` starts in `box`, as a label aligns it.
qreal leftOf(const QRect& box, Qt::Alignment align, qreal width) {
    if (align & Qt::AlignHCenter) return box.left() + (box.width() - width) / 2;
    if (align & Qt::AlignRight) return box.right() + 1 - width;
    return box.left();
}

// Room either side of a character for glyphs that reach past their advance.
int padding(const QFontMetrics& metrics) {
    return metrics.height() / 8 + 2;
}

// Only plain one-line text is drawn from pictures.
bool drawnFromPictures(const QFont& font, const QString& text) {
    return font.pixelSize() > kLargest && !text.contains('\n') && !text.contains('&');
}

}  // namespace

void FaceText::draw(QPainter& painter, const QRect& box, Qt::Alignment align, const QFont& font,
                    const QColor& colour, const QString& text) {
    if (text.isEmpty()) return;
    painter.save();
    painter.setClipRect(box, Qt::IntersectClip);
    if (drawnFromPictures(font, text)) {
        drawLarge(painter, box, align, font, colour, text);
    } else {
        // As QStyle::drawItemText draws a label's plain text.
        painter.setFont(font);
        painter.setPen(colour);
        painter.drawText(box, static_cast<int>(align) | Qt::TextForceLeftToRight, text);
    }
    painter.restore();
}

FaceText::Pictures& FaceText::pictures(const QFont& font, const QColor& colour, qreal ratio) {
    for (Pictures& p : m_pictures)
        if (p.colour == colour.rgba() && p.ratio == ratio && p.font == font) return p;
    return m_pictures.emplace_back(Pictures{font, colour.rgba(), ratio, {}});
}

const QImage& FaceText::picture(Pictures& pictures, QChar character) {
    auto found = pictures.pictures.constFind(character);
    if (found != pictures.pictures.constEnd()) return *found;
    const QFont& font = pictures.font;
    const QFontMetrics metrics(font);
    const int pad = padding(metrics);
    // Made at the screen's own pixel density, so that it is as sharp as text.
    const QSize size(metrics.horizontalAdvance(character) + 2 * pad, metrics.height());
    QImage image(size * pictures.ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(pictures.ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(QColor::fromRgba(pictures.colour));
    painter.drawText(QPoint(pad, metrics.ascent()), QString(character));
    painter.end();
    return *pictures.pictures.insert(character, image);
}

// Where QStyle::drawItemText puts the text, one picture per character;
// characters wholly outside the painted area are skipped.
void FaceText::drawLarge(QPainter& painter, const QRect& box, Qt::Alignment align,
                         const QFont& font, const QColor& colour, const QString& text) {
    const QFontMetrics metrics(font);
    const QFontMetricsF exact(font);
    const QList<qreal> at = offsets(exact, text);
    const qreal left = leftOf(box, align, at.back());
    qreal top = box.top();
    if (align & Qt::AlignVCenter)
        top += (box.height() - exact.height()) / 2;
    else if (align & Qt::AlignBottom)
        top = box.bottom() + 1 - exact.height();
    const int pad = padding(metrics);
    const QRect area = painter.clipBoundingRect().toAlignedRect();
    Pictures& drawn = pictures(font, colour, painter.device()->devicePixelRatioF());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QImage& image = picture(drawn, text[i]);
        const QRect place(QPoint(qRound(left + at[i]) - pad, qRound(top)),
                          image.deviceIndependentSize().toSize());
        if (place.intersects(area)) painter.drawImage(place.topLeft(), image);
    }
}

QRect FaceText::changed(const QRect& box, Qt::Alignment align, const QFont& font,
                        const QString& old, const QString& text) {
    if (old == text) return {};
    const QFontMetricsF metrics(font);
    const QList<qreal> at = offsets(metrics, text);
    const qreal width = at.back();
    if (old.size() != text.size() || offsets(metrics, old).back() != width) return box;
    qsizetype first = 0;
    while (old[first] == text[first]) ++first;
    qsizetype end = text.size();
    while (old[end - 1] == text[end - 1]) --end;
    const qreal left = leftOf(box, align, width);
    // A few pixels either side for glyphs that reach past their advance.
    const int margin = int(metrics.height()) / 8 + 3;
    const int from = qFloor(left + at[first]) - margin;
    const int to = qCeil(left + at[end]) + margin;
    return QRect(from, box.top(), to - from, box.height()).intersected(box);
}
