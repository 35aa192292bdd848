#include "host/MixedText.h"

#include <QFontDatabase>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <algorithm>

namespace host {
namespace {

QString FirstInstalled(std::initializer_list<const char*> families) {
    const QStringList installed = QFontDatabase::families();
    for (const char* f : families)
        if (installed.contains(QLatin1String(f))) return QString::fromLatin1(f);
    return {};
}

QFont WithFamilies(QFont font, const QStringList& families) {
    if (!families.isEmpty()) font.setFamilies(families);
    return font;
}

QStringList NonEmpty(std::initializer_list<QString> families) {
    QStringList list;
    for (const QString& f : families)
        if (!f.isEmpty()) list << f;
    return list;
}

}  // namespace

// Noto Sans CJK's own digits come out of Qt's PDF writer without their character codes, so
// Latin text takes a Latin family and only Chinese goes to the CJK family.
const QString& MixedText::LatinFamily() {
    static const QString family = FirstInstalled({"DejaVu Sans", "Liberation Sans", "Noto Sans", "FreeSans"});
    return family;
}

const QString& MixedText::ChineseFamily() {
    static const QString family =
        FirstInstalled({"Noto Sans CJK SC", "Noto Sans SC", "Source Han Sans SC", "WenQuanYi Micro Hei", "Droid Sans Fallback"});
    return family;
}

MixedText::MixedText(const QFont& font, const QPaintDevice* device)
    : latin_(WithFamilies(font, NonEmpty({LatinFamily(), ChineseFamily()}))),
      chinese_(WithFamilies(font, NonEmpty({ChineseFamily(), LatinFamily()}))),
      latinMetrics_(latin_, device),
      chineseMetrics_(chinese_, device) {
    // Only the Latin family's own glyphs decide; the font's fall-backs do not count.
    if (!LatinFamily().isEmpty()) latinRaw_ = QRawFont::fromFont(WithFamilies(font, {LatinFamily()}));
    ascent_ = std::max(latinMetrics_.ascent(), chineseMetrics_.ascent());
    height_ = std::max(latinMetrics_.height(), chineseMetrics_.height());
}

template <typename Fn>
void MixedText::ForEachRun(const QString& text, Fn&& fn) const {
    const bool split = latinRaw_.isValid() && !ChineseFamily().isEmpty();
    if (!split) {
        fn(text, latin_, latinMetrics_);
        return;
    }
    qsizetype start = 0;
    bool runLatin = true;
    for (qsizetype i = 0; i < text.size();) {
        char32_t c = text.at(i).unicode();
        qsizetype width = 1;
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            width = 2;
        }
        // A blank stays in the run it is in.
        const bool latin = c == u' ' ? (i == 0 || runLatin) : latinRaw_.supportsCharacter(c);
        if (i > start && latin != runLatin) {
            fn(text.mid(start, i - start), runLatin ? latin_ : chinese_, runLatin ? latinMetrics_ : chineseMetrics_);
            start = i;
        }
        runLatin = latin;
        i += width;
    }
    if (start < text.size())
        fn(text.mid(start), runLatin ? latin_ : chinese_, runLatin ? latinMetrics_ : chineseMetrics_);
}

qreal MixedText::Advance(const QString& text) const {
    qreal width = 0;
    ForEachRun(text, [&](const QString& run, const QFont&, const QFontMetricsF& m) { width += m.horizontalAdvance(run); });
    return width;
}

QString MixedText::Elided(const QString& text, qreal width) const {
    if (Advance(text) <= width) return text;
    // Cut as the merged font measures, then as far as the runs' own widths need.
    QString cut = latinMetrics_.elidedText(text, Qt::ElideRight, width);
    while (!cut.isEmpty() && Advance(cut) > width) {
        qsizetype keep = cut.size() - 2;  // the character before the "…"
        if (keep > 0 && cut.at(keep - 1).isHighSurrogate()) --keep;
        cut = keep > 0 ? cut.left(keep) + QChar(0x2026) : QString();
    }
    return cut;
}

qreal MixedText::Draw(QPainter& painter, const QPointF& baseline, const QString& text) const {
    qreal x = baseline.x();
    ForEachRun(text, [&](const QString& run, const QFont& font, const QFontMetricsF& m) {
        painter.setFont(font);
        painter.drawText(QPointF(x, baseline.y()), run);
        x += m.horizontalAdvance(run);
    });
    return x;
}

void MixedText::Draw(QPainter& painter, const QRectF& box, Qt::Alignment alignment, const QString& text) const {
    qreal x = box.left();
    if (alignment & Qt::AlignRight) x = box.right() - Advance(text);
    else if (alignment & Qt::AlignHCenter) x = box.left() + (box.width() - Advance(text)) / 2;
    qreal top = box.top();
    if (alignment & Qt::AlignBottom) top = box.bottom() - height_;
    else if (alignment & Qt::AlignVCenter) top = box.top() + (box.height() - height_) / 2;
    Draw(painter, QPointF(x, top + ascent_), text);
}

}  // namespace host
