#include "host/ReportWorkbook.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <map>
#include <memory>
#include <xlsxwriter.h>

#include "db/Error.h"
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

std::string CellText(const QString& text) {
    std::string s = ToStdString(text);
    if (s.size() > kMaxCellText) s.resize(kMaxCellText);  // Excel's limit per cell
    return s;
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

void WriteReportWorkbook(const QString& path, const ReportTableModel& model, const std::string& reportName) {
    const QString part = path + QStringLiteral(".part");
    QFile::remove(part);
    const std::string partName = ToStdString(part);
    try {
        std::unique_ptr<lxw_workbook, WorkbookCloser> wb(workbook_new(partName.c_str()));
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
            Check(worksheet_write_string(ws, 0, col, CellText(model.Heading(shown[c])).c_str(), formats.Get({}, true, true)));
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
                } else if (field.IsNumeric() && v.IsNumeric()) {
                    Check(worksheet_write_number(ws, row, col, ReportNumber(v), formats.Get(NumberFormat(field), false, false)));
                } else {
                    const std::string text = CellText(model.TextAt(r, shown[c]));
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
                const std::string text = CellText(model.TotalText(f));
                Check(text.empty() ? worksheet_write_blank(ws, totalsRow, col, formats.Get({}, true, true))
                                   : worksheet_write_string(ws, totalsRow, col, text.c_str(), formats.Get({}, true, true)));
            }
        }

        worksheet_freeze_panes(ws, 1, 0);
        if (!shown.empty() && rows > 0)
            Check(worksheet_autofilter(ws, 0, 0, static_cast<lxw_row_t>(rows), static_cast<lxw_col_t>(shown.size() - 1)));

        const lxw_error closed = workbook_close(wb.release());
        if (closed != LXW_NO_ERROR) {
            QFile::remove(part);
            throw db::Error(db::ErrorCode::Generic, "导出失败：不能写入文件 " + ToStdString(path) + "（" + lxw_strerror(closed) + "）");
        }
    } catch (...) {
        // The workbook has been closed by now: what it wrote is dropped.
        QFile::remove(part);
        throw;
    }
    if (QFileInfo::exists(path) && !QFile::remove(path)) {
        QFile::remove(part);
        throw db::Error(db::ErrorCode::Generic, "导出失败：不能替换文件 " + ToStdString(path));
    }
    if (!QFile::rename(part, path)) {
        QFile::remove(part);
        throw db::Error(db::ErrorCode::Generic, "导出失败：不能写入文件 " + ToStdString(path));
    }
}

}  // namespace host
