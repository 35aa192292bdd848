#include "host/ReportWorkbook.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <map>
#include <memory>
#include <vector>
#include <xlsxwriter.h>

#include "data/AtomicFile.h"
#include "db/Error.h"
#include "db/TextUtil.h"
#include "host/QtText.h"
#include "host/ReportTableModel.h"

namespace host {
namespace {

// Excel measures a column in characters of its default font, about 7 pixels each.
constexpr double kPixelsPerCharacter = 7.0;
constexpr size_t kMaxCellText = 32767;

struct WorkbookCloser {
    void operator()(lxw_workbook* wb) const { workbook_close(wb); }
};

std::string NumberFormat(const ReportField& f) {
    if (f.kind == ReportFieldKind::Integer) return "0";
    if (f.decimals > 0) return "0." + std::string(static_cast<size_t>(f.decimals), '0');
    if (f.decimals == 0) return "0";
    return {};
}

// Formats made once per workbook, by kind of cell.
class Formats {
public:
    explicit Formats(lxw_workbook* wb) : wb_(wb) {}
    lxw_format* Get(const std::string& numberFormat, bool bold, bool shaded) {
        auto& slot = made_[{numberFormat, (bold ? 2 : 0) + (shaded ? 1 : 0)}];
        if (!slot) {
            slot = workbook_add_format(wb_);
            if (!numberFormat.empty()) format_set_num_format(slot, numberFormat.c_str());
            if (bold) format_set_bold(slot);
            if (shaded) {
                format_set_bg_color(slot, 0xE8E8E8);
                format_set_border(slot, LXW_BORDER_THIN);
            }
        }
        return slot;
    }

private:
    lxw_workbook* wb_;
    std::map<std::pair<std::string, int>, lxw_format*> made_;
};

void Check(lxw_error e) {
    if (e != LXW_NO_ERROR) throw db::Error(db::ErrorCode::Generic, std::string("导出失败：") + lxw_strerror(e));
}

// Excel's limit per cell counts UTF-16 units; a longer text is cut between two characters (never
// inside a surrogate pair, so the UTF-8 stays valid) and counted.
std::string CellText(const QString& text, int& shortened) {
    if (static_cast<size_t>(text.size()) <= kMaxCellText) return ToStdString(text);
    qsizetype cut = static_cast<qsizetype>(kMaxCellText);
    if (text.at(cut).isLowSurrogate() && text.at(cut - 1).isHighSurrogate()) --cut;
    ++shortened;
    return ToStdString(text.left(cut));
}

// A folder of our own (mode 0700) for what libxlsxwriter writes by name, removed with its files.
class PrivateFolder {
public:
    PrivateFolder() {
        std::error_code ec;
        std::filesystem::path base = std::filesystem::temp_directory_path(ec);
        if (ec) base = "/tmp";
        std::string pattern = (base / "spb-export-XXXXXX").string();
        if (::mkdtemp(pattern.data())) path_ = pattern;
    }
    ~PrivateFolder() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

[[noreturn]] void WriteFailed(const QString& path, const std::string& reason) {
    throw db::Error(db::ErrorCode::Generic, "导出失败：不能写入文件 " + db::text::Abbreviate(ToStdString(path), 200) + "（" + reason + "）");
}

// Copies the finished workbook into place through data::AtomicFile.
void Install(const std::string& from, const QString& path) {
    const int in = ::open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (in < 0) WriteFailed(path, data::FileErrorText(errno));
    data::AtomicFile out(ToStdString(path));
    std::vector<char> buffer(1 << 16);
    int readError = 0;
    for (;;) {
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) readError = errno;
        if (n <= 0 || !out.Write(buffer.data(), static_cast<size_t>(n))) break;
    }
    ::close(in);
    if (readError != 0) WriteFailed(path, data::FileErrorText(readError));
    if (!out.Ok() || !out.Commit()) WriteFailed(path, out.ErrorText());
}

}  // namespace

QString ReportSheetName(const std::string& reportName) {
    QString name;
    for (QChar c : ToQString(reportName))
        if (!QStringLiteral("[]:*?/\\").contains(c) && c.unicode() >= 0x20) name += c;
    name = name.trimmed();
    if (name.startsWith(QLatin1Char('\''))) name.remove(0, 1);
    if (name.endsWith(QLatin1Char('\''))) name.chop(1);
    if (name.size() > 31) name.truncate(31);
    return name.isEmpty() ? QStringLiteral("报表") : name;
}

int WriteReportWorkbook(const QString& path, const ReportTableModel& model, const std::string& reportName) {
    // libxlsxwriter opens its output and its temporary files by name: they go into a folder only
    // this process can enter, and the finished workbook is copied into place through our own
    // descriptor, so a name planted beside the target is never followed and a failed export
    // neither leaves half a file nor destroys the earlier one.
    const PrivateFolder folder;
    if (folder.Path().empty()) WriteFailed(path, "不能建立临时文件夹：" + data::FileErrorText(errno));
    const std::string bookName = folder.Path() + "/book.xlsx";
    int shortened = 0;
    {
        lxw_workbook_options options{};
        options.tmpdir = const_cast<char*>(folder.Path().c_str());
        std::unique_ptr<lxw_workbook, WorkbookCloser> wb(workbook_new_opt(bookName.c_str(), &options));
        if (!wb) throw db::Error(db::ErrorCode::Generic, "导出失败：不能建立工作簿");
        const std::string sheetName = ToStdString(ReportSheetName(reportName));
        lxw_worksheet* ws = workbook_add_worksheet(wb.get(), sheetName.c_str());
        if (!ws) ws = workbook_add_worksheet(wb.get(), nullptr);
        if (!ws) throw db::Error(db::ErrorCode::Generic, "导出失败：不能建立工作表");

        std::string title = reportName;
        lxw_doc_properties properties{};
        properties.title = title.data();
        workbook_set_properties(wb.get(), &properties);

        Formats formats(wb.get());
        const auto& fields = model.Fields();
        const std::vector<int>& shown = model.ShownFields();
        for (size_t c = 0; c < shown.size(); ++c) {
            const auto col = static_cast<lxw_col_t>(c);
            const double width = std::max(4.0, model.ColumnWidth(shown[c]) / kPixelsPerCharacter);
            Check(worksheet_set_column(ws, col, col, width, nullptr));
            Check(worksheet_write_string(ws, 0, col, CellText(model.Heading(shown[c]), shortened).c_str(), formats.Get({}, true, true)));
        }

        const int rows = model.ShownRows();
        for (int r = 0; r < rows; ++r) {
            const auto row = static_cast<lxw_row_t>(r + 1);
            for (size_t c = 0; c < shown.size(); ++c) {
                const auto col = static_cast<lxw_col_t>(c);
                const ReportField& field = fields[static_cast<size_t>(shown[c])];
                const db::Value& v = model.ValueAt(r, shown[c]);
                if (v.IsNull() || v.IsEmpty()) continue;
                if (v.GetKind() == db::Value::Kind::Date && v.ToDate().year >= 1900) {
                    const db::DateTime d = v.ToDate();
                    lxw_datetime when{d.year, d.month, d.day, d.hour, d.minute, static_cast<double>(d.second)};
                    const bool time = d.hour || d.minute || d.second;
                    Check(worksheet_write_datetime(ws, row, col, &when,
                                                   formats.Get(time ? "yyyy-mm-dd hh:mm:ss" : "yyyy-mm-dd", false, false)));
                } else if (field.IsNumeric() && !field.flag && v.IsNumeric()) {
                    Check(worksheet_write_number(ws, row, col, ReportNumber(v), formats.Get(NumberFormat(field), false, false)));
                } else {
                    const std::string text = CellText(model.TextAt(r, shown[c]), shortened);
                    if (!text.empty()) Check(worksheet_write_string(ws, row, col, text.c_str(), nullptr));
                }
            }
        }

        const auto totalsRow = static_cast<lxw_row_t>(rows + 1);
        for (size_t c = 0; c < shown.size(); ++c) {
            const auto col = static_cast<lxw_col_t>(c);
            const int f = shown[c];
            if (model.HasTotal(f)) {
                Check(worksheet_write_number(ws, totalsRow, col, model.Total(f),
                                             formats.Get(NumberFormat(fields[static_cast<size_t>(f)]), true, true)));
            } else {
                const std::string text = CellText(model.TotalText(f), shortened);
                Check(text.empty() ? worksheet_write_blank(ws, totalsRow, col, formats.Get({}, true, true))
                                   : worksheet_write_string(ws, totalsRow, col, text.c_str(), formats.Get({}, true, true)));
            }
        }

        worksheet_freeze_panes(ws, 1, 0);
        if (!shown.empty() && rows > 0)
            Check(worksheet_autofilter(ws, 0, 0, static_cast<lxw_row_t>(rows), static_cast<lxw_col_t>(shown.size() - 1)));

        const lxw_error closed = workbook_close(wb.release());
        if (closed != LXW_NO_ERROR) WriteFailed(path, lxw_strerror(closed));
    }
    Install(bookName, path);
    return shortened;
}

}  // namespace host
