// A static, client-side snapshot of a query result with a current row, like the host's recordset:
// fields by index or by name (any case), BOF/EOF, moves, absolute position, record count, Clone()
// sharing the same rows, Sort("field ASC|DESC"), Requery() and a move-complete callback.
// Copying a Recordset object copies the handle (both name the same cursor); Clone() makes a
// second cursor over the same rows.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "db/RowSet.h"
#include "db/Value.h"

namespace db {

class Session;

class Recordset {
public:
    Recordset() = default;  // closed
    Recordset(std::shared_ptr<Session> session, std::string source, std::shared_ptr<const RowSet> rows);

    bool IsOpen() const;
    int State() const { return IsOpen() ? 1 : 0; }
    void Close();

    int FieldCount() const;
    const FieldInfo& Field(int index) const;
    int FieldIndex(std::string_view name) const;  // -1 when absent
    const FieldInfo& Field(std::string_view name) const;  // throws ItemNotFound

    // Value of a field in the current row; throws NoCurrentRecord at BOF/EOF.
    const Value& Get(int index) const;
    const Value& Get(std::string_view name) const;
    // Value at a row of the current order (0-based), for grids.
    const Value& At(int row, int field) const;

    long RecordCount() const;
    bool IsBOF() const;
    bool IsEOF() const;
    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();
    long AbsolutePosition() const;  // 1-based; 0 (unknown) at BOF/EOF
    void SetAbsolutePosition(long position);

    Recordset Clone() const;
    // "field ASC" or "field DESC" (ASC when omitted); the empty text restores the fetched order.
    // Texts sort in natural order (db/NaturalOrder.h): serial "2" before "10".
    void Sort(const std::string& sortOrder);
    const std::string& SortSpec() const;
    void Requery();
    const std::string& Source() const;

    // The move-complete event: raised after every change of the current record.
    void SetMoveComplete(std::function<void()> callback);
    // Further observers of moves (bound grids); returns a token for RemoveMoveListener.
    int AddMoveListener(std::function<void()> listener);
    void RemoveMoveListener(int token);

    // Identity of a row across sorts (its index in the fetched rows), and the fetched rows.
    int RowIdAt(int row) const;
    std::shared_ptr<const RowSet> Rows() const;

private:
    struct Cursor;
    void Moved();
    Cursor& Cur() const;
    std::shared_ptr<Cursor> c_;
};

}  // namespace db
