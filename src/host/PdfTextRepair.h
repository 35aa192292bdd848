// Repairs the text that readers extract from Qt's PDFs of Chinese text. Qt writes each embedded
// font's ToUnicode map from the lowest code point the font maps to a glyph, and CJK fonts give
// the Kangxi radicals and the radicals supplement (U+2E80..U+2FDF) the glyphs of the ideographs
// they look like, so copied or extracted text would read "⽀" for "支". The repair rewrites those
// entries in place to the ideograph with the same glyph; the file keeps its length, so the
// cross-reference offsets stay right.
#pragma once
#include <QFont>
#include <QString>

namespace host {

class PdfTextRepair {
public:
    // cjkFont: the font whose glyphs the PDF embeds for Chinese text.
    explicit PdfTextRepair(const QFont& cjkFont);

    // Rewrites the file when some entry needs it; returns the number of entries changed, -1 when
    // the file cannot be read or written.
    int Repair(const QString& pdfPath) const;
    // The same on the bytes of a PDF.
    int RepairBytes(QByteArray& pdf) const;

    // The ideograph the font draws for a radical, 0 when none.
    char16_t IdeographFor(char16_t radical) const;

    static constexpr char16_t kFirstRadical = 0x2E80, kLastRadical = 0x2FDF;

private:
    char16_t ideograph_[kLastRadical - kFirstRadical + 1] = {};
};

}  // namespace host
