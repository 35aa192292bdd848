// The statements with which the editor writes a bill, inside a transaction its caller holds: the
// header from the window's header fields under Shared().CurrentLsh, lines inserted under line
// numbers drawn by NewDh, and line updates. Saving, the bulk change and the import share them, so
// that a bill is written one way whichever command writes it.
#pragma once
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "ui/Message.h"

namespace db {
class Connection;
}

namespace bill {

class FrmAdjuctPrice;

// A write that the stored bill refuses (audited meanwhile, a line gone). Thrown inside the
// transaction; shown once the transaction has been rolled back.
struct BillRefused {
    std::string text;
    ui::Icon icon = ui::Icon::Exclamation;
};

inline constexpr const char* kAuditedNoChange = "此单据已审核，不能修改!";
// Numbering takes the highest serial so far, compared as a number.
inline constexpr const char* kMaxLshSql = "select max( (cast(lsh as int)) ) as tjlsh from SubAdjuctPrice ";

// A header as it is written, whichever window supplies its values (dates in the text form of
// db::DateTime::ToText).
struct BillHeader {
    std::string lsh, kdrq, execdate, bz, czry, dwbh;
    bool byBranchType = false;
};

// A line as it is written.
struct BillLine {
    std::string lsh, dh, hh, pm;
    double sj1 = 0, sj2 = 0;
};

class BillWriter {
public:
    BillWriter(FrmAdjuctPrice& editor, db::Connection& c);

    // A new bill: inserts its header under the serial just drawn. A header stored under that
    // serial meanwhile (another operator drew the same number) makes the insert fail on the key,
    // never merges the two bills.
    void InsertHeader();
    // Inserts a header made elsewhere than in the editor's fields (copies, reversals).
    void InsertHeader(const BillHeader& h);
    // A line added to a stored bill: updates its header, or inserts it when none is stored (the
    // browser's refresh removes the header of an unaudited bill whose lines were all deleted).
    void WriteHeaderForStoredBill();
    // Changing a picked line: updates the header.
    void WriteHeaderForLineAmend();
    // Inserts a line under CurrentLsh and CurrentDh (drawn by the caller with NewDh).
    void InsertLine(const std::string& hh, const std::string& pm, double sj1, double sj2);
    // Inserts lines of any bills, several rows to a statement (kLinesPerInsert at most): a bill
    // copied to many targets is written in a few hundred statements instead of tens of thousands.
    void InsertLines(const std::vector<BillLine>& lines);
    static constexpr size_t kLinesPerInsert = 500;  // SQL Server takes at most 1000 rows of values
    // Updates line `dh` of CurrentLsh; false when no such line is stored.
    bool UpdateLine(const std::string& dh, const std::string& hh, const std::string& pm, double sj1, double sj2);
    // Refuses an item that another line of CurrentLsh (other than `exceptDh`) already holds,
    // naming that line: a bill prices each item once, and the audit would refuse it later.
    void RefuseItemOnBill(const std::string& hh, const std::string& exceptDh);
    // Claims the stored, unaudited header of `lsh` for this transaction without changing it, so
    // that an audit waits for the commit; throws BillRefused when it is audited or missing.
    void ClaimUnauditedHeader(const std::string& lsh);

    // Whether the header of `lsh` is stored / audited, as the transaction sees it.
    bool HeaderExists(const std::string& lsh);
    bool HeaderAudited(const std::string& lsh);

    // The check before a write begins: whether the stored header of `lsh` is audited, read through
    // the query routines (a failed query counts as not audited; the transaction checks again).
    static bool StoredAudited(const std::string& lsh);
    // StoredAudited, showing "此单据已审核，不能修改!" when it is.
    static bool RefuseIfAudited(const std::string& lsh);

    // How a failed write is shown: when it inserted rows, a key clash asks the operator to try
    // again (another operator drew the same serial); anything else is an error.
    static void ReportFailure(const std::exception& e, bool inserting = true);
    static void ReportRefusal(const BillRefused& r);

    // Adds lines to the bill in the editor in one transaction: a new bill draws its serial and
    // inserts its header, a stored one has its header written again; then `write` adds the lines
    // under that serial (throwing BillRefused to refuse them all). Committed when `write` returns.
    // On a refusal or a failure nothing is stored, the line in hand is the one picked before, and
    // the message has been shown. The serial, or "" when nothing was stored.
    using LineWriting = std::function<void(db::Connection&, const std::string& lsh, BillWriter&)>;
    static std::string AddLines(FrmAdjuctPrice& editor, const LineWriting& write);

private:
    void UpdateHeader(const std::string& beforeWhere);

    FrmAdjuctPrice& editor_;
    db::Connection& c_;
};

}  // namespace bill
