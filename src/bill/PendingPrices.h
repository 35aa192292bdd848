// Prices that take effect on the bill's execution date (the "GL" setting 按执行日期生效). An audited
// bill whose execution date lies after the business date does not write glprice: its prices wait
// in the module's own table SubAdjuctPricePending until a run of ApplyDuePrices on or after that
// date (the program's --apply-due, the daily timer, every start of the module) writes them with
// the audit's own statements. A waiting bill can be withdrawn, which returns it to unaudited.
#pragma once
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "db/DateTime.h"

namespace db {
class Connection;
}

namespace bill {

class FrmAdjuctPrice;

inline constexpr const char* kPendingTable = "SubAdjuctPricePending";
inline constexpr const char* kPendingState = "待生效";

// Row states of the pending table.
enum PendingState { kWaiting = 0, kApplied = 1 };

// Whether the setting is on for this run.
bool PricesWaitForExecDate();

// The table, made when it is missing (the first audit that needs it, or a reader). The definition
// runs unchanged on SQL Server, SQLite and PostgreSQL. Throws db::Error when it can be neither read
// nor made. Never call inside a transaction: on PostgreSQL the failed probe would end it.
void EnsurePendingTable(db::Connection& c);
bool PendingTableExists(db::Connection& c);

// Writes the bill's new prices into glprice at `target` (escaped): the missing rows inserted,
// the present ones updated. The audit's statements, also run when a waiting bill's date comes.
void WriteTargetPrices(db::Connection& c, const std::string& escapedLsh, const std::string& escapedTarget);

// Inside the audit's transaction: the bill's execution date when its prices are to wait (after
// the business date), nothing when they take effect now.
std::optional<db::DateTime> WaitingDate(db::Connection& c, const std::string& escapedLsh);
// Inside the audit's transaction: the bill's lines into the pending table.
void StagePendingPrices(db::Connection& c, const std::string& escapedLsh, const std::string& escapedTarget,
                        const db::DateTime& date);
// "新价格将于 2026-12-10 生效"
std::string TakesEffectText(const db::DateTime& date);
std::string TakesEffectText(const std::string& date);
// For the editor's status line: "待生效：新价格将于 2026-12-10 生效" for a bill whose prices wait,
// "" otherwise (and always with the setting off, when the pending table is not read at all).
std::string WaitingStatusText(const std::string& lsh);

struct AppliedBill {
    std::string lsh;
    std::string date;  // YYYY-MM-DD
    long long prices = 0;
};

// Applies every waiting price whose date is `businessDate` or earlier: bill by bill in execution
// date and serial order, each in a transaction of its own that first claims the bill's waiting
// rows, so that a second applier skips a bill already taken. A bill that fails stops the run (a
// later bill must not be written before an earlier one): its error is thrown, the bills before it
// stay applied and are reported through `done` as they commit.
std::vector<AppliedBill> ApplyDuePrices(db::Connection& c, const db::DateTime& businessDate,
                                        const std::function<void(const AppliedBill&)>& done = {});
// At the start of the module, when the setting is on: applies what is due on the business date.
// A failure shows one message; the module opens all the same.
void ApplyDuePricesAtStart();

// Serial → execution date (YYYY-MM-DD) of the bills among `serials` whose prices still wait; all
// such bills when `serials` is empty.
std::map<std::string, std::string> WaitingBills(db::Connection& c, const std::vector<std::string>& serials = {});

// The list column that shows 待生效 for a bill whose prices wait (for the browser's list and the
// report; leading comma, trailing blank).
std::string PendingStateColumn(const std::string& headerAlias);

// The part of the item's conflict note about other bills whose prices at the target wait.
std::string WaitingConflictText(const std::map<std::string, std::string>& waiting);
// The conflict note's addition for the item in the editor's entry strip; silent on failure.
std::string WaitingConflictNote(const FrmAdjuctPrice& editor);

// The editor's 撤回: withdraws the waiting prices of the bill shown and returns it to unaudited.
void WithdrawPendingCommand(FrmAdjuctPrice& editor);

}  // namespace bill
