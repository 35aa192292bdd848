#include "host/PdfFile.h"

#include <QBuffer>
#include <QPdfWriter>
#include <cerrno>
#include <filesystem>

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

std::string WriteNewPdf(const std::string& folderName, const std::string& stem, const QByteArray& bytes,
                        const std::string& what) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(folderName.empty() ? "." : folderName);
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) throw db::Error(db::ErrorCode::Generic, "不能建立输出目录 " + folder.string() + "：" + ec.message());
    data::AtomicFile file((folder / (stem + ".pdf")).string(), data::AtomicFile::Existing::Keep);
    file.Write(bytes.constData(), static_cast<size_t>(bytes.size()));
    for (int n = 1; file.Ok() || file.Errno() == EEXIST; ++n) {
        if (file.Commit(stem + (n == 1 ? std::string() : "-" + std::to_string(n)) + ".pdf")) return file.Path();
        if (n >= 1000) break;
    }
    throw db::Error(db::ErrorCode::Generic, what + "：不能写入文件 " + db::text::Abbreviate((folder / stem).string(), 200) +
                                                ".pdf（" + file.ErrorText() + "）");
}

}  // namespace host
