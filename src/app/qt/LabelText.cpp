#include "app/qt/LabelText.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QList>
#include <QPaintEvent>
#include <QPainter>
#include <QtMath>
#include <vector>

namespace {

// Where each character of a one-line text starts, and (last) where it ends,
// from the characters' own advances: no shaping, which costs more than the
// drawing. The clock's texts have no kerning or ligatures.
QList<qreal> offsets(const QFontMetricsF& metrics, const QString& text) {
    QList<qreal> at(text.size() + 1, 0);
    for (qsizetype i = 0; i < text.size(); ++i)
        at[i + 1] = at[i] + metrics.horizontalAdvance(text[i]);
    return at;
}

// Qt's raster engine keeps pictures of glyphs up to 64 pixels only: larger
// text is filled from its outlines at every paint, about a millisecond for
// the clock's eight 96-pixel characters. This filter draws the plain text of
// such labels from pictures of their characters instead, each made once.
class GlyphPictures : public QObject {
  public:
    static GlyphPictures& instance() {
        static GlyphPictures pictures;
        return pictures;
    }

    void watch(QLabel* label) {
        if (label->property(kWatched).toBool()) return;
        label->setProperty(kWatched, true);
        label->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint) return false;
        auto* label = static_cast<QLabel*>(watched);
        if (!drawsItself(*label)) return false;
        paint(*label, static_cast<QPaintEvent*>(event)->rect());
        return true;
    }

  private:
    static constexpr const char* kWatched = "alarmclock.glyphPictures";
    static constexpr int kLargest = 64;  // Qt's own glyph cache takes the rest

    // Only what QLabel itself would draw as one plain line with no frame.
    static bool drawsItself(const QLabel& label) {
        const QString& text = label.text();
        return label.font().pixelSize() > kLargest && !text.isEmpty() && label.frameWidth() == 0 &&
               label.margin() == 0 && label.indent() <= 0 && !label.wordWrap() &&
               label.textFormat() != Qt::RichText && !Qt::mightBeRichText(text) &&
               !text.contains('\n') && !text.contains('&') && label.pixmap().isNull() &&
               label.layoutDirection() == Qt::LeftToRight;
    }

    // The pictures of one font in one colour, at one device pixel ratio.
    struct Face {
        QFont font;
        QRgb colour;
        qreal ratio;
        QHash<QChar, QImage> pictures;
    };

    // Room either side of a character for glyphs that reach past their advance.
    static int padding(const QFontMetrics& metrics) { return metrics.height() / 8 + 2; }

    Face& face(const QFont& font, QColor colour, qreal ratio) {
        for (Face& face : m_faces)
            if (face.colour == colour.rgba() && face.ratio == ratio && face.font == font)
                return face;
        return m_faces.emplace_back(Face{font, colour.rgba(), ratio, {}});
    }

    static const QImage& picture(Face& face, QChar character) {
        auto found = face.pictures.constFind(character);
        if (found != face.pictures.constEnd()) return *found;
        const QFont& font = face.font;
        const QFontMetrics metrics(font);
        const int pad = padding(metrics);
        // Made at the screen's own pixel density, so that it is as sharp as text.
        const QSize size(metrics.horizontalAdvance(character) + 2 * pad, metrics.height());
        QImage image(size * face.ratio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(face.ratio);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(QColor::fromRgba(face.colour));
        painter.drawText(QPoint(pad, metrics.ascent()), QString(character));
        painter.end();
        return *face.pictures.insert(character, image);
    }

    // Where QStyle::drawItemText puts the text, one picture per character;
    // characters wholly outside the repainted area are skipped.
    void paint(QLabel& label, const QRect& area) {
        const QFont font = label.font();
        const QFontMetrics metrics(font);
        const QFontMetricsF exact(font);
        const QString text = label.text();
        const QRect box = label.contentsRect();
        const Qt::Alignment align = label.alignment();
        const QList<qreal> at = offsets(exact, text);
        const qreal width = at.back();
        qreal left = box.left();
        if (align & Qt::AlignHCenter)
            left += (box.width() - width) / 2;
        else if (align & Qt::AlignRight)
            left = box.right() + 1 - width;
        qreal top = box.top();
        if (align & Qt::AlignVCenter)
            top += (box.height() - exact.height()) / 2;
        else if (align & Qt::AlignBottom)
            top = box.bottom() + 1 - exact.height();
        const QColor colour = label.palette().color(
            label.isEnabled() ? QPalette::Active : QPalette::Disabled, label.foregroundRole());
        const int pad = padding(metrics);
        Face& pictures = face(font, colour, label.devicePixelRatioF());
        QPainter painter(&label);
        painter.setClipRect(area);
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QImage& image = picture(pictures, text[i]);
            const QRect place(QPoint(qRound(left + at[i]) - pad, qRound(top)),
                              image.deviceIndependentSize().toSize());
            if (place.intersects(area)) painter.drawImage(place.topLeft(), image);
        }
    }

    std::vector<Face> m_faces;
};

}  // namespace

void setLabelText(QLabel* label, const QString& text) {
    GlyphPictures::instance().watch(label);
    const QString old = label->text();
    if (old == text) return;
    const QFontMetricsF metrics(label->font());
    const QList<qreal> at = offsets(metrics, text);
    const qreal width = at.back();
    if (!label->isVisible() || old.size() != text.size() || offsets(metrics, old).back() != width) {
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
    qreal left = box.left();
    if (align & Qt::AlignHCenter)
        left += (box.width() - width) / 2;
    else if (align & Qt::AlignRight)
        left = box.right() + 1 - width;
    // A few pixels either side for glyphs that reach past their advance.
    const int margin = int(metrics.height()) / 8 + 3;
    const int from = qFloor(left + at[first]) - margin;
    const int to = qCeil(left + at[end]) + margin;
    label->update(QRect(from, box.top(), to - from, box.height()).intersected(box));
}
