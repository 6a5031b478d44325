#pragma once
// The face's texts as the window paints them: one line in a box, placed as a
// label places it, large text drawn from pictures of its characters, and the
// part of a box that a new text changes.

#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>
#include <vector>

class FaceText {
  public:
    // Draws `text` in `box` with `align`, cut to the box.
    void draw(QPainter& painter, const QRect& box, Qt::Alignment align, const QFont& font,
              const QColor& colour, const QString& text);
    // The part of `box` to paint again when its text goes from `old` to `text`:
    // with the same length and width (the time, from one second to the next),
    // only the characters that changed, usually the last digit.
    static QRect changed(const QRect& box, Qt::Alignment align, const QFont& font,
                         const QString& old, const QString& text);

  private:
    // The pictures of one font in one colour, at one device pixel ratio.
    struct Pictures {
        QFont font;
        QRgb colour;
        qreal ratio;
        QHash<QChar, QImage> pictures;
    };
    Pictures& pictures(const QFont& font, const QColor& colour, qreal ratio);
    static const QImage& picture(Pictures& pictures, QChar character);
    void drawLarge(QPainter& painter, const QRect& box, Qt::Alignment align, const QFont& font,
                   const QColor& colour, const QString& text);

    std::vector<Pictures> m_pictures;
};
