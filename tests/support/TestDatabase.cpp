#include "support/TestDatabase.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <stdexcept>
#include <unistd.h>

#include "data/ComponentFactory.h"
#include "data/HostContext.h"
#include "host/TableRightsComponent.h"
#include "schema/DemoDatabase.h"

namespace testing_support {

Backend CurrentBackend() {
    const char* v = std::getenv("SPB_TEST_BACKEND");
    std::string name = v ? v : "";
    if (name.empty() || name == "sqlite") return Backend::Sqlite;
    if (name == "odbc") return Backend::Odbc;
    throw std::invalid_argument("SPB_TEST_BACKEND=" + name + ": expected sqlite or odbc");
}

std::string OdbcConnectionString(const std::string& path) {
    // The driver's options: a missing file is an error rather than a new empty database; a locked
    // database is waited for up to 10 s, as the embedded driver does; column names without table
    // qualifiers, as SQLite gives them; wide-character data, which the ODBC driver reads text as.
    return "Driver=SQLite3;Database=" + path + ";NoCreat=1;Timeout=10000;LongNames=0;NoWCHAR=0";
}

TestDatabase::TestDatabase(bool demo, int demoItems) {
    static std::atomic<int> counter{0};
    dir_ = std::filesystem::temp_directory_path() /
           ("spb-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    path_ = (dir_ / "host.db").string();
    if (demo) {
        schema::DemoOptions o;
        o.itemCount = demoItems;
        schema::CreateDemoDatabase(path_, o);
    } else {
        schema::CreateEmptyHostDatabase(path_);
    }
    connStr_ = CurrentBackend() == Backend::Odbc ? OdbcConnectionString(path_) : "Provider=SQLite;Data Source=" + path_;
    db::Connection::SetDefaultTrace([this](const std::string& s) { statements_.push_back(s); });
    own_.Open(connStr_);
    own_.SetTrace({});
    host::RegisterTableRights();
}

TestDatabase::~TestDatabase() {
    CloseHostConnection();
    db::Connection::SetDefaultTrace({});
    own_.Close();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

std::string TestDatabase::Scalar(const std::string& sql) {
    auto rs = own_.OpenRecordset(sql);
    if (rs.RecordCount() == 0) return "<no row>";
    const auto& v = rs.Get(0);
    return v.IsNull() ? "<null>" : v.ToText();
}

void TestDatabase::OpenHostConnection(const std::string& optCode, const std::string& optName) {
    auto& h = data::Host();
    h.ConnStr = connStr_;
    h.OptCode = optCode;
    h.OptName = optName;
    h.SysDate = db::DateTime{2026, 12, 6};
    h.HostConnection = std::make_unique<db::Connection>();
    h.HostConnection->Open(connStr_);
}

void TestDatabase::CloseHostConnection() {
    auto& h = data::Host();
    if (h.HostConnection) h.HostConnection->Close();
    h.HostConnection.reset();
}

void TestDatabase::Grant(const std::string& optCode, const std::string& right) {
    Exec("insert into t_OperatorRight (FModule,FOperator,FRight) values ('00000368','" + optCode + "','" + right + "')");
}

bool TestDatabase::Sent(const std::string& statement) const {
    return std::find(statements_.begin(), statements_.end(), statement) != statements_.end();
}

}  // namespace testing_support
