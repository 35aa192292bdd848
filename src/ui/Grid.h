// State of a data grid bound to a recordset: row 0 is the heading row, column 0 a fixed column
// whose cells the logic writes (the browser's marks), columns 1..n show the recordset's fields.
// The grid's current row is the recordset's current record (row r is record r). Marks follow their
// record when the recordset is sorted and are cleared when it is requeried.
#pragma once
#include <map>
#include <memory>
#include <vector>

#include "db/Recordset.h"
#include "ui/Control.h"

namespace ui {

enum class Alignment { Left, Center, Right };

// How a column shows its values. Numbers align right and prices show a fixed number of decimals;
// a flag shows 是 or 否.
struct ColumnFormat {
    int decimals = -1;  // numbers: this many decimals; -1 their shortest form
    bool yesNo = false;  // a flag: 是 for a value other than 0, 否 for 0, a null stays empty
    bool right = false;  // right-aligned whatever the value (amounts the logic formatted as texts)
};

class Grid : public Control {
public:
    using Control::Control;
    ~Grid() override;

    void Bind(db::Recordset rs);
    void Unbind();
    bool IsBound() const;
    const db::Recordset& DataSource() const { return source_; }
    // Re-reads the data source (after a sort or a requery) and redraws.
    void Refresh();

    int Rows() const;  // heading row included
    int Cols() const;  // fixed column included
    std::string TextMatrix(int row, int col) const;
    // Only the fixed column (col 0) and the heading row take text of their own.
    void SetTextMatrix(int row, int col, std::string text);

    int Row() const;  // 0 when no record is current
    void SetRow(int row);
    int Col() const { return col_; }
    void SetCol(int col) { col_ = col; Notify(); }
    void Select(int row, int col) { SetRow(row); SetCol(col); }

    std::string ColTag(int col) const;
    void SetColTag(int col, std::string tag);
    // Widths in twips (15 per pixel); 0 leaves the view's default.
    int ColWidth(int col) const;
    void SetColWidth(int col, int twips);
    // Column c of the grid (1..n); the fixed column is centred. TextMatrix shows the format.
    void SetColFormat(int col, ColumnFormat format);
    const ColumnFormat& ColFormat(int col) const;
    // Right for numbers (by the field's type) and amounts, centre for flags and the fixed column.
    Alignment ColAlignment(int col) const;
    int Height() const { return height_; }
    void SetHeight(int twips) { height_ = twips; Notify(); }

    // Set by the view before it raises a mouse event.
    int MouseRow() const { return mouseRow_; }
    int MouseCol() const { return mouseCol_; }
    void SetMouseCell(int row, int col) { mouseRow_ = row; mouseCol_ = col; }

    std::function<void(int button, int shift)> onMouseDown;
    std::function<void()> onDblClick;
    void RaiseMouseDown(int button, int shift) { if (onMouseDown) onMouseDown(button, shift); }
    void RaiseDblClick() { if (onDblClick) onDblClick(); }

    // Incremented whenever rows or columns change shape, so that a view knows to reset its model.
    unsigned long Generation() const { return generation_; }

private:
    int RowIdOf(int row) const;
    db::Recordset source_;
    int moveToken_ = -1;
    std::shared_ptr<const db::RowSet> rowsSeen_;
    std::map<int, std::string> marks_;  // record id -> fixed-column text
    std::map<int, std::string> headings_;
    std::map<int, std::string> tags_;
    std::map<int, int> widths_;
    std::map<int, ColumnFormat> formats_;
    int col_ = 0;
    int height_ = 0;
    int mouseRow_ = -1, mouseCol_ = -1;
    unsigned long generation_ = 0;
};

}  // namespace ui
