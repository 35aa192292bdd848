#include "host/PdfTextRepair.h"

#include <QFile>
#include <QRawFont>
#include <unordered_map>

#include "data/AtomicFile.h"

namespace host {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A "<XXXX>" token of four hex digits starting at `at`: its value, else -1.
int Code4(const QByteArray& b, qsizetype at) {
    if (at + 5 >= b.size() || b[at] != '<' || b[at + 5] != '>') return -1;
    int v = 0;
    for (int i = 1; i <= 4; ++i) {
        const int h = HexValue(b[at + i]);
        if (h < 0) return -1;
        v = v * 16 + h;
    }
    return v;
}

char ByteAt(const QByteArray& b, qsizetype at) { return at >= 0 && at < b.size() ? b[at] : '\0'; }

void WriteCode4(QByteArray& b, qsizetype at, char16_t code) {
    static const char* digits = "0123456789ABCDEF";
    for (int i = 0; i < 4; ++i) b[at + 4 - i] = digits[(code >> (4 * i)) & 0xF];
}

}  // namespace

PdfTextRepair::PdfTextRepair(const QFont& cjkFont) {
    const QRawFont raw = QRawFont::fromFont(cjkFont, QFontDatabase::SimplifiedChinese);
    if (!raw.isValid()) return;
    QString radicals;
    for (char16_t r = kFirstRadical; r <= kLastRadical; ++r) radicals += QChar(r);
    const QList<quint32> radicalGlyphs = raw.glyphIndexesForString(radicals);
    std::unordered_map<quint32, int> wanted;  // glyph -> radical offset
    for (qsizetype i = 0; i < radicalGlyphs.size(); ++i)
        if (radicalGlyphs[i] != 0) wanted.emplace(radicalGlyphs[i], static_cast<int>(i));
    if (wanted.empty()) return;

    QString ideographs;  // the unified ideographs, U+4E00..U+9FFF
    for (char16_t u = 0x4E00; u <= 0x9FFF; ++u) ideographs += QChar(u);
    const QList<quint32> glyphs = raw.glyphIndexesForString(ideographs);
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        auto it = wanted.find(glyphs[i]);
        if (it == wanted.end()) continue;
        char16_t& slot = ideograph_[it->second];
        if (slot == 0) slot = static_cast<char16_t>(0x4E00 + i);
    }
    // Radicals that share one glyph all read as the same ideograph.
    for (qsizetype i = 0; i < radicalGlyphs.size(); ++i)
        if (auto it = wanted.find(radicalGlyphs[i]); it != wanted.end()) ideograph_[i] = ideograph_[it->second];
}

char16_t PdfTextRepair::IdeographFor(char16_t radical) const {
    if (radical < kFirstRadical || radical > kLastRadical) return 0;
    return ideograph_[radical - kFirstRadical];
}

int PdfTextRepair::RepairBytes(QByteArray& pdf) const {
    int changed = 0;
    auto fix = [&](qsizetype at) {
        const int code = Code4(pdf, at);
        if (code < 0) return;
        if (const char16_t u = IdeographFor(static_cast<char16_t>(code)); u != 0) {
            WriteCode4(pdf, at, u);
            ++changed;
        }
    };
    for (qsizetype pos = 0; (pos = pdf.indexOf("beginbfrange", pos)) >= 0;) {
        const qsizetype end = pdf.indexOf("endbfrange", pos);
        if (end < 0) break;
        // Lines "<first> <last> [<u> <u> ...]" or "<first> <last> <u>" (u counting up from first).
        for (qsizetype line = pdf.indexOf('\n', pos) + 1; line > 0 && line < end;) {
            qsizetype eol = pdf.indexOf('\n', line);
            if (eol < 0 || eol > end) eol = end;
            const qsizetype bracket = pdf.indexOf('[', line);
            if (bracket >= 0 && bracket < eol) {
                for (qsizetype at = pdf.indexOf('<', bracket); at >= 0 && at < eol; at = pdf.indexOf('<', at + 1)) fix(at);
            } else if (Code4(pdf, line) >= 0 && Code4(pdf, line) == Code4(pdf, line + 7) && ByteAt(pdf, line + 6) == ' ' &&
                       ByteAt(pdf, line + 13) == ' ') {
                fix(line + 14);  // a range of one glyph; longer ranges count up and stay as written
            }
            line = eol + 1;
        }
        pos = end;
    }
    for (qsizetype pos = 0; (pos = pdf.indexOf("beginbfchar", pos)) >= 0;) {
        const qsizetype end = pdf.indexOf("endbfchar", pos);
        if (end < 0) break;
        // Lines "<glyph> <u>".
        for (qsizetype line = pdf.indexOf('\n', pos) + 1; line > 0 && line < end;) {
            qsizetype eol = pdf.indexOf('\n', line);
            if (eol < 0 || eol > end) eol = end;
            if (Code4(pdf, line) >= 0 && ByteAt(pdf, line + 6) == ' ') fix(line + 7);
            line = eol + 1;
        }
        pos = end;
    }
    return changed;
}

int PdfTextRepair::Repair(const QString& pdfPath) const {
    QFile file(pdfPath);
    if (!file.open(QIODevice::ReadOnly)) return -1;
    QByteArray bytes = file.readAll();
    file.close();
    const int changed = RepairBytes(bytes);
    if (changed == 0) return 0;
    // Rewritten whole: a failed write keeps the file as Qt wrote it.
    data::AtomicFile out(pdfPath.toStdString());
    if (!out.Write(bytes.constData(), static_cast<size_t>(bytes.size())) || !out.Commit()) return -1;
    return changed;
}

}  // namespace host
