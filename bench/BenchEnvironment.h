// What every measurement of the system runs in: the host context of an operator on the measured
// database (its connection open, branch mode "one branch"), the headless toolkit for window logic,
// the host's components (rights from the table, the lookup window up to its picker's model, the
// PDF print engine writing into a scratch folder), a raw connection on the same file, and the rows
// the measurements work on, found in the data set.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "bench/RawDatabase.h"
#include "ui/headless/HeadlessToolkit.h"

namespace bench {

struct Fixtures {
    std::vector<std::string> longBills;  // open bills of the operator with the most lines (300 at medium and large)
    int longBillLines = 0;
    std::string longBillBranch;  // their branch
    std::string operatorName;    // whose open bills make the detail report
    long operatorOpenLines = 0;
    std::string branch = "001";  // the branch of the item lookups
    std::string exactCode;       // a live item
    std::string mnemonic;        // that item's name mnemonic
    std::string firstMnemonicItem;  // the first live item with that mnemonic
    std::string firstItem;          // the first live item
    std::vector<std::string> auditedOpenBills;  // open, audited, for a single branch, in list order
    std::string smallBill;       // an open, unaudited bill of a few lines of the operator
};

class BenchEnvironment {
public:
    // Opens the host context on the database file, or with `server` on the database that the
    // ODBC connection string names (the raw side reaches the same database through libpq, and a
    // second one through the ODBC driver), and finds the fixtures.
    static void Start(const std::string& database, bool server = false);
    static BenchEnvironment& Get();

    const std::string& ConnStr() const { return connStr_; }
    const std::string& ScratchFolder() const { return scratch_; }
    // The raw side that runs now: the client library's own, or on a server the ODBC driver's.
    RawDatabase& Raw() { return throughOdbc_ ? *rawOdbc_ : *raw_; }
    bool HasOdbcSide() const { return rawOdbc_ != nullptr; }
    void RawThroughOdbc(bool on) { throughOdbc_ = on && rawOdbc_; }
    // Runs untimed clean-up SQL (statements separated by "; ") on the system's own connection.
    // Each side takes back its writes through its own connection: on SQLite a write from the
    // other connection would empty this one's page cache and charge the next timed run with
    // reading every page again.
    void SystemExec(const std::string& sql);
    const Fixtures& Fix() const { return fixtures_; }
    ui::HeadlessToolkit& Toolkit() { return **toolkit_; }

private:
    BenchEnvironment(const std::string& database, bool server);
    void FindFixtures();

    std::string connStr_, scratch_;
    std::unique_ptr<RawDatabase> raw_, rawOdbc_;
    bool throughOdbc_ = false;
    std::unique_ptr<ui::ScopedHeadlessToolkit> toolkit_;
    Fixtures fixtures_;
};

}  // namespace bench
