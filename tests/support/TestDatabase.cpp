#include "support/TestDatabase.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <locale>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

#include "data/ComponentFactory.h"
#include "data/HostContext.h"
#include "host/TableRightsComponent.h"
#include "schema/DemoDatabase.h"
#include "schema/ServerDatabase.h"

namespace testing_support {

Backend CurrentBackend() {
    const char* v = std::getenv("SPB_TEST_BACKEND");
    std::string name = v ? v : "";
    if (name.empty() || name == "sqlite") return Backend::Sqlite;
    if (name == "odbc") return Backend::Odbc;
    if (name == "pg") return Backend::Pg;
    throw std::invalid_argument("SPB_TEST_BACKEND=" + name + ": expected sqlite, odbc or pg");
}

std::string OdbcConnectionString(const std::string& path) {
    // The driver's options: a missing file is an error rather than a new empty database; a locked
    // database is waited for up to 10 s, as the embedded driver does; column names without table
    // qualifiers, as SQLite gives them; wide-character data, which the ODBC driver reads text as.
    return "Driver=SQLite3;Database=" + path + ";NoCreat=1;Timeout=10000;LongNames=0;NoWCHAR=0";
}

std::string PgConnectionString(const std::string& name) {
    const char* base = std::getenv("SPB_PG_CONNSTR");
    if (!base || !*base)
        throw std::runtime_error("SPB_TEST_BACKEND=pg needs SPB_PG_CONNSTR: start a cluster with scripts/pg-cluster.sh "
                                 "start DIR and source DIR/env (test.sh does both)");
    // The cluster's string names the test role's own database; this names another.
    std::string cs = base;
    const std::string key = ";Database=";
    const size_t at = cs.find(key);
    if (at == std::string::npos) return cs + key + name;
    const size_t end = cs.find(';', at + key.size());
    return cs.replace(at + key.size(), end == std::string::npos ? std::string::npos : end - at - key.size(), name);
}

namespace {

// A database of the test's own on the cluster, copied from a template: a copy is much quicker
// than creating the tables and writing the demo rows through ODBC.
void CreatePgDatabase(const std::string& name, bool demo, int demoItems) {
    db::Connection admin;
    admin.Open(PgConnectionString("spb"));
    const bool copy = !demo || demoItems == kPgDemoItems;
    admin.Execute("CREATE DATABASE " + name + (copy ? std::string(" TEMPLATE ") + (demo ? kPgDemoTemplate : kPgTemplate) : ""));
    if (copy) return;
    try {
        db::Connection c;
        c.Open(PgConnectionString(name));
        schema::DemoOptions o;
        o.itemCount = demoItems;
        schema::CreateServerDemoDatabase(c, o);
    } catch (...) {
        admin.Execute("DROP DATABASE IF EXISTS " + name + " WITH (FORCE)");
        throw;
    }
}

}  // namespace

TestDatabase::TestDatabase(bool demo, int demoItems) {
    static std::atomic<int> counter{0};
    const std::string id = std::to_string(getpid()) + "_" + std::to_string(counter++);
    dir_ = std::filesystem::temp_directory_path() / ("spb-test-" + id);
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    path_ = (dir_ / "host.db").string();
    if (CurrentBackend() == Backend::Pg) {
        pgName_ = "spb_t_" + id;
        CreatePgDatabase(pgName_, demo, demoItems);
        connStr_ = PgConnectionString(pgName_);
    } else if (demo) {
        schema::DemoOptions o;
        o.itemCount = demoItems;
        schema::CreateDemoDatabase(path_, o);
    } else {
        schema::CreateEmptyHostDatabase(path_);
    }
    if (CurrentBackend() == Backend::Odbc) connStr_ = OdbcConnectionString(path_);
    else if (CurrentBackend() == Backend::Sqlite) connStr_ = "Provider=SQLite;Data Source=" + path_;
    db::Connection::SetDefaultTrace([this](const std::string& s) { statements_.push_back(s); });
    own_.Open(connStr_);
    own_.SetTrace({});
    host::RegisterTableRights();
}

TestDatabase::~TestDatabase() {
    CloseHostConnection();
    db::Connection::SetDefaultTrace({});
    own_.Close();
    if (!pgName_.empty()) {
        try {
            db::Connection admin;
            admin.Open(PgConnectionString("spb"));
            admin.Execute("DROP DATABASE IF EXISTS " + pgName_ + " WITH (FORCE)");
            if (pgEmpty_) admin.Execute("DROP DATABASE IF EXISTS " + pgName_ + "_e WITH (FORCE)");
        } catch (...) {  // the cluster goes away with its folder at the end of the run
        }
    }
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

std::string TestDatabase::EmptyDatabaseConnStr() {
    if (CurrentBackend() == Backend::Pg) {
        if (!pgEmpty_) {
            db::Connection admin;
            admin.Open(PgConnectionString("spb"));
            admin.Execute("CREATE DATABASE " + pgName_ + "_e");
            pgEmpty_ = true;
        }
        return PgConnectionString(pgName_ + "_e");
    }
    const std::string path = (dir_ / "empty.db").string();
    if (!std::filesystem::exists(path)) std::ofstream(path, std::ios::binary);  // SQLite takes an empty file
    return CurrentBackend() == Backend::Odbc ? OdbcConnectionString(path) : "Provider=SQLite;Data Source=" + path;
}

std::string TestDatabase::Scalar(const std::string& sql) {
    auto rs = own_.OpenRecordset(sql);
    if (rs.RecordCount() == 0) return "<no row>";
    const auto& v = rs.Get(0);
    return v.IsNull() ? "<null>" : v.ToText();
}

std::string TestDatabase::Joined(const std::string& sql, std::string_view fieldSep, std::string_view rowSep) {
    auto rs = own_.OpenRecordset(sql);
    std::string out;
    for (long row = 0; row < rs.RecordCount(); ++row) {
        if (row > 0) out += rowSep;
        for (int field = 0; field < rs.FieldCount(); ++field) {
            if (field > 0) out += fieldSep;
            out += rs.At(static_cast<int>(row), field).ToText();
        }
    }
    return out;
}

namespace {

// Every quote doubled, for a text placed in a quoted literal.
std::string Quoted(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
    return out;
}

}  // namespace

void TestDatabase::RefuseWrites(const std::string& table, const std::string& event, const std::string& condition,
                                const std::string& message, const std::string& sqlState) {
    static std::atomic<int> counter{0};
    const std::string name = "spb_refuse_" + std::to_string(counter++);
    if (CurrentBackend() != Backend::Pg) {
        Exec("create trigger " + name + " before " + event + " on " + table + (condition.empty() ? "" : " when " + condition) +
             " begin select raise(abort, '" + Quoted(message) + "'); end");
        return;
    }
    // The function's body is a quoted literal rather than a dollar-quoted one: the statement passes
    // the translator like any other, and a literal's contents are left as they are.
    const std::string raise =
        "raise exception using message = '" + Quoted(message) + "', errcode = '" + Quoted(sqlState) + "';";
    const std::string body = "begin " + (condition.empty() ? raise : "if " + condition + " then " + raise + " end if;") +
                             " return NEW; end";
    Exec("create function " + name + "() returns trigger language plpgsql as '" + Quoted(body) + "'");
    Exec("create trigger " + name + " before " + event + " on " + table + " for each row execute function " + name + "()");
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

void TestDatabase::StoreBill(const StoredBill& b) {
    Exec("insert into SubAdjuctPrice (lsh,kdrq,execdate,bz,czry,fyear,fperiod,shbz,shry,jzbz,dwbh,bz5) values ('" + b.lsh +
         "','" + b.kdrq + "'," + b.execdate + ",'r','系统管理员',0,0," + std::to_string(b.shbz) + ",''," +
         std::to_string(b.jzbz) + ",'" + b.dwbh + "'," + b.bz5 + ")");
    int dh = 100;
    for (const auto& l : b.lines) {
        std::ostringstream sql;
        sql.imbue(std::locale::classic());
        sql << "insert into SubAdjuctPricemx (lsh,dh,hh,pm,sj1,sj2) values ('" << b.lsh << "','" << dh << "','" << l.hh
            << "','" << Quoted(l.pm) << "'," << l.sj1 << "," << l.sj2 << ")";
        Exec(sql.str());
        dh += 100;
    }
}

bool TestDatabase::Sent(const std::string& statement) const {
    return std::find(statements_.begin(), statements_.end(), statement) != statements_.end();
}

}  // namespace testing_support
