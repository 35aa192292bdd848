#include "ui/Grid.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "db/Error.h"
#include "db/TypeClass.h"

namespace ui {
namespace {

// Cell text of a field value: dates without a midnight time, numbers in shortest form or with the
// column's decimals (rounded half away from zero), flags as 是/否.
std::string CellText(const db::Value& v, const ColumnFormat& format) {
    if (format.yesNo && !v.IsNull() && !v.IsEmpty()) {
        try {
            return v.ToDouble() != 0 ? "是" : "否";
        } catch (...) {
            return v.ToText();  // no number: shown as it stands
        }
    }
    if (v.GetKind() == db::Value::Kind::Bool) return v.ToBool() ? "1" : "0";
    if (format.decimals >= 0 && v.IsNumeric()) {
        const int d = std::min(format.decimals, 6);
        const double scale = std::pow(10.0, d);
        // The nudge keeps a price's own decimals against the noise of its binary form (1.005 is
        // held as 1.00499999999999989...), so that 1.005 shows 1.01 as the price rounding gives.
        const double scaled = v.ToDouble() * scale;
        double x = std::round(scaled + scaled * 1e-12) / scale;
        if (x == 0) x = 0;  // no "-0.00"
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.*f", d, x);
        return buf;
    }
    return v.ToText();
}

const ColumnFormat kPlain{};

}  // namespace

Grid::~Grid() { Unbind(); }

void Grid::Bind(db::Recordset rs) {
    Unbind();
    source_ = std::move(rs);
    if (source_.IsOpen()) {
        moveToken_ = source_.AddMoveListener([this] { Notify(); });
        rowsSeen_ = source_.Rows();
    }
    marks_.clear();
    ++generation_;
    Notify();
}

void Grid::Unbind() {
    // Also after the recordset was closed: its cursor outlives the close and must not keep us.
    if (moveToken_ >= 0) source_.RemoveMoveListener(moveToken_);
    moveToken_ = -1;
    source_ = db::Recordset();
    rowsSeen_.reset();
    marks_.clear();
    ++generation_;
    Notify();
}

bool Grid::IsBound() const { return source_.IsOpen(); }

void Grid::Refresh() {
    if (source_.IsOpen()) {
        auto rows = source_.Rows();
        if (rows != rowsSeen_) marks_.clear();  // requeried: the old marks name no current row
        rowsSeen_ = rows;
    }
    ++generation_;
    Notify();
}

int Grid::Rows() const { return source_.IsOpen() ? 1 + static_cast<int>(source_.RecordCount()) : 1; }
int Grid::Cols() const { return source_.IsOpen() ? 1 + source_.FieldCount() : 1; }

int Grid::RowIdOf(int row) const { return source_.RowIdAt(row - 1); }

std::string Grid::TextMatrix(int row, int col) const {
    if (row < 0 || row >= Rows() || col < 0 || col >= Cols())
        throw db::Error(381, "下标越界");
    if (row == 0) {
        if (auto it = headings_.find(col); it != headings_.end()) return it->second;
        return col == 0 ? std::string() : source_.Field(col - 1).name;
    }
    if (col == 0) {
        auto it = marks_.find(RowIdOf(row));
        return it == marks_.end() ? std::string() : it->second;
    }
    return CellText(source_.At(row - 1, col - 1), ColFormat(col));
}

void Grid::SetTextMatrix(int row, int col, std::string text) {
    if (row < 0 || row >= Rows() || col < 0 || col >= Cols())
        throw db::Error(381, "下标越界");
    if (row == 0)
        headings_[col] = std::move(text);
    else if (col == 0)
        marks_[RowIdOf(row)] = std::move(text);
    else
        throw db::Error(db::ErrorCode::Generic, "绑定的数据单元格不能直接修改。");
    Notify();
}

int Grid::Row() const {
    if (!source_.IsOpen()) return 0;
    return static_cast<int>(source_.AbsolutePosition());
}

void Grid::SetRow(int row) {
    if (!source_.IsOpen() || row < 1 || row >= Rows()) return;
    if (row != Row()) source_.SetAbsolutePosition(row);  // raises the move events, which redraw
}

std::string Grid::ColTag(int col) const {
    if (col < 0 || col >= Cols()) throw db::Error(381, "下标越界");
    auto it = tags_.find(col);
    return it == tags_.end() ? std::string() : it->second;
}

void Grid::SetColTag(int col, std::string tag) {
    if (col < 0 || col >= Cols()) throw db::Error(381, "下标越界");
    tags_[col] = std::move(tag);
}

int Grid::ColWidth(int col) const {
    auto it = widths_.find(col);
    return it == widths_.end() ? 0 : it->second;
}

void Grid::SetColWidth(int col, int twips) {
    widths_[col] = twips;
    ++generation_;
    Notify();
}

void Grid::SetColFormat(int col, ColumnFormat format) {
    formats_[col] = format;
    Notify();
}

const ColumnFormat& Grid::ColFormat(int col) const {
    auto it = formats_.find(col);
    return it == formats_.end() ? kPlain : it->second;
}

Alignment Grid::ColAlignment(int col) const {
    if (col == 0) return Alignment::Center;
    const ColumnFormat& f = ColFormat(col);
    if (f.yesNo) return Alignment::Center;
    if (f.right) return Alignment::Right;
    if (source_.IsOpen() && col <= source_.FieldCount() && db::IsNumericClass(source_.Field(col - 1).type))
        return Alignment::Right;
    return Alignment::Left;
}

}  // namespace ui
