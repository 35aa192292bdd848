// Text of the printed documents in their two families: Latin letters and digits from a Latin
// family, Chinese from a CJK family. Each run of a text is drawn in a font whose first family holds
// its glyphs, at the baseline asked for. Qt's print preview records text and replays it on the
// screen from the ascent of the font's first family; replayed in one font that merged both
// families, a Chinese run came out lower than the Latin text beside it by the difference between
// the families' ascents, while the PDF was right. Drawn run by run, the preview and the PDF place
// every glyph alike, and both measure with the same metrics.
#pragma once
#include <QFont>
#include <QFontMetricsF>
#include <QRawFont>
#include <QString>

class QPainter;
class QPaintDevice;
class QPointF;
class QRectF;

namespace host {

class MixedText {
public:
    // font: size, weight and style of the text (its families are replaced); device: where it is
    // drawn, for its resolution.
    MixedText(const QFont& font, const QPaintDevice* device);

    // The text's width as Draw sets it.
    qreal Advance(const QString& text) const;
    // The taller of the two families.
    qreal Ascent() const { return ascent_; }
    qreal Height() const { return height_; }
    // The text cut with "…" to fit the width.
    QString Elided(const QString& text, qreal width) const;

    // Draws the text with its baseline at `baseline`; returns the x after it.
    qreal Draw(QPainter& painter, const QPointF& baseline, const QString& text) const;
    // Draws one line of text aligned in the rectangle (left, right or centred; top, bottom or
    // centred), from the same ascent and height on every device.
    void Draw(QPainter& painter, const QRectF& box, Qt::Alignment alignment, const QString& text) const;

    // The Latin and the Chinese family installed; empty when none of the candidates is.
    static const QString& LatinFamily();
    static const QString& ChineseFamily();

private:
    template <typename Fn>
    void ForEachRun(const QString& text, Fn&& fn) const;

    QFont latin_, chinese_;
    QFontMetricsF latinMetrics_, chineseMetrics_;
    QRawFont latinRaw_;
    qreal ascent_ = 0, height_ = 0;
};

}  // namespace host
