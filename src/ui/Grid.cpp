#include "ui/Grid.h"

#include <algorithm>

#include "db/Error.h"

namespace ui {
namespace {

// Cell text of a field value: dates without a midnight time, numbers in shortest form.
std::string CellText(const db::Value& v) {
    if (v.GetKind() == db::Value::Kind::Bool) return v.ToBool() ? "1" : "0";
    return v.ToText();
}

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
    return CellText(source_.At(row - 1, col - 1));
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

}  // namespace ui
