// The verdict on each row of an imported price list before anything is written: which rows can
// become lines of the bill (item known and live, not yet on the bill, not repeated in the file,
// a price that is a number and not negative, room left on the bill) and why the others cannot.
#pragma once
#include <string>
#include <vector>

#include "bill/SheetRow.h"

namespace db {
class Connection;
}

namespace bill {

enum class Verdict { Ready, EmptyCode, UnknownItem, DeletedItem, OnBill, DuplicateInFile, PriceNotNumber, NegativePrice, PriceTooLarge, BillFull, Imported };

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

    // The item code and new price of each data row: by the headings "货号" and "新售价" of the
    // first row when it has either (a missing one taken as the column next to the other),
    // otherwise the first two columns of every row.
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

}  // namespace bill
