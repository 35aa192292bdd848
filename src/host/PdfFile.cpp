#include "host/PdfFile.h"

#include <QBuffer>
#include <QPdfWriter>

#include "data/AtomicFile.h"
#include "db/Error.h"
#include "db/TextUtil.h"
#include "host/BillDocument.h"
#include "host/PdfTextRepair.h"

namespace host {

QByteArray RenderPdf(const QPageLayout& page, const QString& title, const QString& creator,
                     const std::function<void(QPdfWriter&)>& paint) {
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(1200);
        writer.setPageLayout(page);
        writer.setTitle(title);
        writer.setCreator(creator);
        paint(writer);
    }  // the writer finishes the file when the painter ends; the buffer is complete here
    PdfTextRepair(BillDocument::ChineseFont(10)).RepairBytes(bytes);
    return bytes;
}

void WriteFileWhole(const std::string& path, const QByteArray& bytes, const std::string& what) {
    data::AtomicFile file(path);
    if (!file.Write(bytes.constData(), static_cast<size_t>(bytes.size())) || !file.Commit())
        throw db::Error(db::ErrorCode::Generic,
                        what + "：不能写入文件 " + db::text::Abbreviate(path, 200) + "（" + file.ErrorText() + "）");
}

}  // namespace host
