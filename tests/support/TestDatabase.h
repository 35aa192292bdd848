// Test support: a fresh host database in a temporary folder, the host context pointed at it, a
// headless toolkit and the host's rights component, and a recorder of the statements sent.
// The environment variable SPB_TEST_BACKEND chooses how the database file is opened: "sqlite"
// (the default) through the embedded driver, "odbc" through the SQLite ODBC driver.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "db/Connection.h"
#include "ui/headless/HeadlessToolkit.h"

namespace testing_support {

enum class Backend { Sqlite, Odbc };
// From SPB_TEST_BACKEND; throws std::invalid_argument for a value it does not know.
Backend CurrentBackend();
inline bool UnderOdbc() { return CurrentBackend() == Backend::Odbc; }
// Opens the SQLite file `path` through the SQLite ODBC driver, as registered with unixODBC.
std::string OdbcConnectionString(const std::string& path);

// For tests of facts that only the embedded driver shows (declared type names and the like).
#define SPB_SKIP_UNDER_ODBC(reason) \
    if (::testing_support::UnderOdbc()) GTEST_SKIP() << "under the ODBC backend: " << (reason)

class TestDatabase {
public:
    // demo: fill with the demo data set; otherwise only the tables.
    explicit TestDatabase(bool demo = false, int demoItems = 300);
    ~TestDatabase();

    const std::string& Path() const { return path_; }
    // The connection string of the chosen backend.
    const std::string& ConnStr() const { return connStr_; }
    // A connection of the test's own, for arranging rows and checking effects.
    db::Connection& Db() { return own_; }
    long long Exec(const std::string& sql) { return own_.Execute(sql); }
    std::string Scalar(const std::string& sql);

    // Points the host context at this database and opens its host connection, as Execute does.
    void OpenHostConnection(const std::string& optCode = "0001", const std::string& optName = "系统管理员");
    void CloseHostConnection();
    void Grant(const std::string& optCode, const std::string& right);

    ui::HeadlessToolkit& Toolkit() { return *toolkit_; }
    // Statements sent on every connection opened while this object lives.
    const std::vector<std::string>& Statements() const { return statements_; }
    void ClearStatements() { statements_.clear(); }
    bool Sent(const std::string& statement) const;

private:
    std::filesystem::path dir_;
    std::string path_, connStr_;
    db::Connection own_;
    ui::ScopedHeadlessToolkit toolkit_;
    std::vector<std::string> statements_;
};

}  // namespace testing_support
