// PDFs painted in memory and written whole through a descriptor of our own (data::AtomicFile):
// Qt's PDF writer opens its output by name and reports no failed write, so it never sees a file.
#pragma once
#include <QByteArray>
#include <QPageLayout>
#include <QString>
#include <functional>
#include <string>

class QPdfWriter;

namespace host {

// The PDF that `paint` makes on a writer set up with the page layout, title and creator, its
// Chinese text repaired (PdfTextRepair).
QByteArray RenderPdf(const QPageLayout& page, const QString& title, const QString& creator,
                     const std::function<void(QPdfWriter&)>& paint);

// Writes the bytes to path, replacing what is there only once they are all on disk; throws
// db::Error "<what>：不能写入文件 <path>（<reason>）" and leaves nothing behind when that fails.
void WriteFileWhole(const std::string& path, const QByteArray& bytes, const std::string& what);

// Writes the bytes as a new file <folder>/<stem>.pdf (made first when missing), or <stem>-2.pdf,
// -3, ... when the name is taken: named by a rename that never replaces a file (nor a symlink
// planted there). Returns the path; throws db::Error "<what>：不能写入文件 ..." and leaves nothing
// behind when that fails.
std::string WriteNewPdf(const std::string& folder, const std::string& stem, const QByteArray& bytes, const std::string& what);

}  // namespace host
