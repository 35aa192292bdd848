// The verdict on each row of an imported price list before anything is written: which rows can
// become lines of the bill (item known and live, not yet on the bill, not repeated in the file,
// a price that is a number, not negative and within range, room left on the bill) and why the
// others cannot.
#pragma once
#include <string>
#include <vector>

#include "bill/SheetRow.h"

namespace db {
class Connection;
}

namespace bill {

enum class Verdict {
    Ready,
    HasNul,
    EmptyCode,
    UnknownItem,
    DeletedItem,
    OnBill,
    DuplicateInFile,
    PriceNotNumber,
    NegativePrice,
    PriceOutOfRange,
    BillFull,
    Imported
};

const char* VerdictText(Verdict v);

struct ImportRow {
    int fileRow = 0;          // row number in the file
    std::string code;         // item code as in the file, trimmed
    std::string priceText;    // new price as in the file
    Verdict verdict = Verdict::Ready;
    // Filled for rows that can be added: the item as the master spells it, the description as
    // the item lookup builds it, the old price at the target and the new price rounded.
    std::string hh, pm;
    double oldPrice = 0, newPrice = 0;
    bool Refused() const { return verdict != Verdict::Ready && verdict != Verdict::Imported; }
};

class ImportCheck {
public:
    // Codes go to the database this many at a time.
    static constexpr size_t kBatch = 500;
    // Line numbers are 16-bit, 100 to 32700: a bill takes at most this many lines.
    static constexpr size_t kMaxRows = 327;

    // The item code and new price of each data row, as RowPicker picks them.
    static std::vector<ImportRow> RowsOf(const std::vector<SheetRow>& sheet);

    // Judges every row against the item master, the lines stored under `lsh` and the prices at
    // `target`; at most `room` rows are Ready, later good rows are BillFull. Item codes compare
    // without regard to case, as the host database compares them.
    static void Judge(std::vector<ImportRow>& rows, db::Connection& c, const std::string& lsh, const std::string& target,
                      int room, int decimals);

    // The item codes stored on bill `lsh`, in the comparison form of Key().
    static std::vector<std::string> CodesOnBill(db::Connection& c, const std::string& lsh);
    static std::string Key(std::string code);
};

// Takes a sheet from a reader and keeps, of each row that is not blank, only the item code and
// the new price: by the headings "货号" and "新售价" of the first such row when it has either (a
// missing one taken as the column next to the other), otherwise the first two columns of every
// row. More than `maxRows` data rows, or a kept cell that a reader had to cut, end the reading
// with a message for the operator.
class RowPicker final : public SheetSink {
public:
    explicit RowPicker(size_t maxRows = ImportCheck::kMaxRows) : maxRows_(maxRows) {}
    void Cell(int column, std::string_view text, bool cut) override;
    void EndRow(int number) override;
    std::vector<ImportRow> Take() { return std::move(rows_); }

private:
    size_t maxRows_;
    bool decided_ = false;  // the first row that is not blank has been seen
    int codeCol_ = 0, priceCol_ = 1;
    int headCode_ = -1, headPrice_ = -1;  // columns of the headings in the first row
    bool blank_ = true, cut_ = false;
    ImportRow row_;
    std::vector<ImportRow> rows_;
};

}  // namespace bill
