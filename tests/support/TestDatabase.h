// Test support: a fresh host database in a temporary folder, the host context pointed at it, a
// headless toolkit and the host's rights component, and a recorder of the statements sent.
// The environment variable SPB_TEST_BACKEND chooses the database: "sqlite" (the default) a file
// opened through the embedded driver, "odbc" the same file through the SQLite ODBC driver, "pg" a
// new database on the PostgreSQL test cluster (SPB_PG_CONNSTR, see scripts/pg-cluster.sh), copied
// from the template the suite's fixture made and reached through PostgreSQL's ODBC driver.
#pragma once
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "db/Connection.h"
#include "ui/headless/HeadlessToolkit.h"

namespace testing_support {

enum class Backend { Sqlite, Odbc, Pg };
// From SPB_TEST_BACKEND; throws std::invalid_argument for a value it does not know.
Backend CurrentBackend();
// Through ODBC, to a SQLite file or to PostgreSQL: not the embedded driver.
inline bool UnderOdbc() { return CurrentBackend() != Backend::Sqlite; }
inline bool UnderPg() { return CurrentBackend() == Backend::Pg; }
// Opens the SQLite file `path` through the SQLite ODBC driver, as registered with unixODBC.
std::string OdbcConnectionString(const std::string& path);
// The test cluster's database `name` through the PostgreSQL ODBC driver: SPB_PG_CONNSTR with its
// database replaced (throws std::runtime_error when it is not set).
std::string PgConnectionString(const std::string& name);
// The databases on the test cluster that each test copies: the tables only, and the tables with
// the demo data set of kPgDemoItems items.
inline constexpr const char* kPgTemplate = "spb_template";
inline constexpr const char* kPgDemoTemplate = "spb_template_demo";
inline constexpr int kPgDemoItems = 300;

// For tests of facts that only the embedded driver shows (declared type names and the like).
#define SPB_SKIP_UNDER_ODBC(reason) \
    if (::testing_support::UnderOdbc()) GTEST_SKIP() << "not on the embedded driver: " << (reason)

class TestDatabase {
public:
    // demo: fill with the demo data set; otherwise only the tables.
    explicit TestDatabase(bool demo = false, int demoItems = 300);
    ~TestDatabase();

    // The database file; on PostgreSQL a name in the test's own folder that no file has (the
    // folder is there for the test's other files).
    const std::string& Path() const { return path_; }
    // The connection string of the chosen backend.
    const std::string& ConnStr() const { return connStr_; }
    // A second database of the chosen backend without any table, beside this one (removed with it).
    std::string EmptyDatabaseConnStr();
    // A connection of the test's own, for arranging rows and checking effects.
    db::Connection& Db() { return own_; }
    long long Exec(const std::string& sql) { return own_.Execute(sql); }
    std::string Scalar(const std::string& sql);
    // Every row of the query, its fields as Value::ToText gives them (numbers in their shortest
    // form, dates as the Value prints them, null as ""), fields joined by fieldSep and rows by
    // rowSep: the same text whatever the database prints numbers as. "" for no row.
    std::string Joined(const std::string& sql, std::string_view fieldSep = " ", std::string_view rowSep = " ");
    // Makes the database refuse an `event` ("insert" or "update") on `table` for a row whose new
    // values meet `condition` (written over NEW, e.g. "NEW.hh='X'"; empty: every row) with the
    // error `message`. The refusal is a constraint violation, as a trigger's is on SQLite; on
    // PostgreSQL its SQLSTATE is `sqlState` (23505: a clash on a unique key).
    void RefuseWrites(const std::string& table, const std::string& event, const std::string& condition,
                      const std::string& message, const std::string& sqlState = "23000");

    // Points the host context at this database and opens its host connection, as Execute does.
    void OpenHostConnection(const std::string& optCode = "0001", const std::string& optName = "系统管理员");
    void CloseHostConnection();
    void Grant(const std::string& optCode, const std::string& right);

    ui::HeadlessToolkit& Toolkit() { return *toolkit_; }
    // Statements sent on every connection opened while this object lives.
    const std::vector<std::string>& Statements() const { return statements_; }
    void ClearStatements() { statements_.clear(); }
    bool Sent(const std::string& statement) const;

    // Stores a bill as the module would have: its header and its lines numbered 100, 200, ...
    // Texts go in as they are (a test's own values); `execdate` and `bz5` are SQL expressions.
    struct StoredLine {
        std::string hh;
        double sj1 = 0, sj2 = 0;
        std::string pm = "p";
    };
    struct StoredBill {
        std::string lsh, dwbh = "001";
        int shbz = 0, jzbz = 0;
        std::vector<StoredLine> lines;
        std::string execdate = "NULL", bz5 = "''", kdrq = "2026-11-01";
    };
    void StoreBill(const StoredBill& b);

private:
    std::filesystem::path dir_;
    std::string path_, connStr_;
    std::string pgName_;  // the test's database on the cluster, dropped at the end
    bool pgEmpty_ = false;  // pgName_ + "_e" made by EmptyDatabaseConnStr
    db::Connection own_;
    ui::ScopedHeadlessToolkit toolkit_;
    std::vector<std::string> statements_;
};

}  // namespace testing_support
