#include "db/sqlite/SqliteDriver.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>

#include "db/ConnectionString.h"
#include "db/Error.h"
#include "db/ColumnCatalog.h"
#include "db/Fault.h"
#include "db/TextUtil.h"
#include "db/TypeClass.h"
#include "db/dialect/TsqlTranslator.h"
#include "db/sqlite/OfdLockingVfs.h"

namespace db::sqlite {
namespace {

using text::Lower;


struct DbCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct StmtFinalizer {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using DbHandle = std::unique_ptr<sqlite3, DbCloser>;
using StmtHandle = std::unique_ptr<sqlite3_stmt, StmtFinalizer>;

std::uint32_t CodeOf(int extended) {
    switch (extended & 0xFF) {
        case SQLITE_CONSTRAINT: return ErrorCode::IntegrityViolation;
        case SQLITE_ERROR: return ErrorCode::SyntaxOrAccess;
        default: return ErrorCode::Generic;
    }
}

// Reads the database's declared column types into a ColumnCatalog again whenever the schema changed.
class Catalog {
public:
    void Refresh(sqlite3* db) {
        int version = SchemaVersion(db);
        if (version == version_) return;
        columns_.Clear();
        std::vector<std::string> names;
        {
            sqlite3_stmt* raw = nullptr;
            if (sqlite3_prepare_v2(db, "select name from sqlite_master where type in ('table','view')", -1, &raw, nullptr) != SQLITE_OK) return;
            StmtHandle st(raw);
            while (sqlite3_step(st.get()) == SQLITE_ROW)
                names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0)));
        }
        for (auto& t : names) {
            std::string q = "pragma table_info(\"" + t + "\")";
            sqlite3_stmt* raw = nullptr;
            if (sqlite3_prepare_v2(db, q.c_str(), -1, &raw, nullptr) != SQLITE_OK) continue;
            StmtHandle st(raw);
            while (sqlite3_step(st.get()) == SQLITE_ROW) {
                auto name = reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 1));
                auto type = reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 2));
                columns_.Add(t, name ? name : "", DataTypeFromDeclared(type ? type : ""));
            }
        }
        version_ = version;
    }
    const ColumnCatalog& Columns() const { return columns_; }

private:
    static int SchemaVersion(sqlite3* db) {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(db, "pragma schema_version", -1, &raw, nullptr) != SQLITE_OK) return -2;
        StmtHandle st(raw);
        return sqlite3_step(st.get()) == SQLITE_ROW ? sqlite3_column_int(st.get(), 0) : -2;
    }
    int version_ = -1;
    ColumnCatalog columns_;
};

Value ReadColumn(sqlite3_stmt* st, int i, DataType t) {
    int storage = sqlite3_column_type(st, i);
    if (storage == SQLITE_NULL) return Value::Null();
    if (IsNumericClass(t)) {
        if (storage == SQLITE_INTEGER) {
            sqlite3_int64 v = sqlite3_column_int64(st, i);
            return IsIntegerClass(t) ? IntegerValue(t, v) : Value::Double(static_cast<double>(v));
        }
        if (storage == SQLITE_FLOAT) {
            double d = sqlite3_column_double(st, i);
            if (t == DataType::Boolean) return Value::Bool(d != 0);
            return Value::Double(d);
        }
        // Text in a numeric column: the number it holds, else the text itself.
        std::string s(reinterpret_cast<const char*>(sqlite3_column_text(st, i)), sqlite3_column_bytes(st, i));
        double d = 0;
        auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), d);
        if (ec == std::errc() && p == s.data() + s.size() && !s.empty()) return Value::Double(d);
        return Value::Text(std::move(s));
    }
    if (IsDateClass(t)) {
        if (storage == SQLITE_TEXT) {
            std::string s(reinterpret_cast<const char*>(sqlite3_column_text(st, i)), sqlite3_column_bytes(st, i));
            if (auto d = DateTime::Parse(s)) return Value::Date(*d);
            return Value::Text(std::move(s));
        }
    }
    switch (storage) {
        case SQLITE_INTEGER:
            if (IsTextClass(t)) return Value::Text(std::to_string(sqlite3_column_int64(st, i)));
            return IntegerValue(DataType::Integer, sqlite3_column_int64(st, i));
        case SQLITE_FLOAT:
            if (IsTextClass(t)) return Value::Text(FormatDouble(sqlite3_column_double(st, i)));
            return Value::Double(sqlite3_column_double(st, i));
        default:
            return Value::Text(std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, i)), sqlite3_column_bytes(st, i)));
    }
}

class SqliteDriver final : public Driver {
public:
    SqliteDriver(DbHandle db, int defaultBusyMs)
        : db_(std::move(db)), defaultBusyMs_(defaultBusyMs),
          translator_([this](std::string_view, std::string_view column) { return catalog_.Columns().IsTextColumn(column); },
                      [this](std::string_view, std::string_view column) { return catalog_.Columns().IsKnownColumn(column); }) {}

    std::string Name() const override { return "sqlite"; }

    long long Execute(const std::string& tsql) override {
        std::string sql = Translate(tsql);
        const char* tail = sql.c_str();
        const char* end = sql.c_str() + sql.size();
        long long changes = 0;
        while (tail && tail < end) {
            sqlite3_stmt* raw = nullptr;
            const char* next = nullptr;
            Check(sqlite3_prepare_v2(db_.get(), tail, static_cast<int>(end - tail), &raw, &next));
            StmtHandle st(raw);
            if (!st && next == tail) break;  // nothing more SQLite can read (a NUL)
            tail = next;
            if (!st) continue;  // white space or a comment
            int rc;
            while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {}
            if (rc != SQLITE_DONE) Check(rc);
            changes = sqlite3_changes(db_.get());
        }
        return changes;
    }

    std::shared_ptr<RowSet> Query(const std::string& tsql) override {
        std::string sql = Translate(tsql);
        sqlite3_stmt* raw = nullptr;
        Check(sqlite3_prepare_v2(db_.get(), sql.c_str(), static_cast<int>(sql.size()), &raw, nullptr));
        StmtHandle st(raw);
        auto rs = std::make_shared<RowSet>();
        if (!st) return rs;
        int n = sqlite3_column_count(st.get());
        std::vector<dialect::ColumnHint> hints;
        bool needHints = false;
        for (int i = 0; i < n; ++i) {
            FieldInfo f;
            const char* name = sqlite3_column_name(st.get(), i);
            f.name = name ? name : "";
            const char* decl = sqlite3_column_decltype(st.get(), i);
            if (decl) {
                f.type = DataTypeFromDeclared(decl);
            } else {
                f.type = DataType::Empty;  // decided below
                needHints = true;
            }
            rs->fields.push_back(std::move(f));
        }
        if (needHints) hints = dialect::SelectListHints(sql);
        for (int i = 0; i < n; ++i) {
            auto& f = rs->fields[i];
            if (f.type != DataType::Empty || i >= static_cast<int>(hints.size())) continue;
            const auto& h = hints[i];
            if (!h.typeName.empty()) f.type = DataTypeFromDeclared(h.typeName);
            else if (!h.column.empty()) {
                DataType d = catalog_.Columns().ClassOf(h.table, h.column);
                if (d != DataType::Empty) f.type = d;
            }
        }
        int rc;
        while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
            std::vector<Value> row;
            row.reserve(n);
            for (int i = 0; i < n; ++i) {
                auto& f = rs->fields[i];
                if (f.type == DataType::Empty) {
                    // An expression without a known type takes the class of its first value.
                    switch (sqlite3_column_type(st.get(), i)) {
                        case SQLITE_INTEGER: f.type = DataType::Integer; break;
                        case SQLITE_FLOAT: f.type = DataType::Double; break;
                        case SQLITE_TEXT: f.type = DataType::VarWChar; break;
                        default: break;
                    }
                    if (f.type != DataType::Empty) {
                        // Rows read before the type was known held nulls only.
                    }
                }
                row.push_back(ReadColumn(st.get(), i, f.type == DataType::Empty ? DataType::Variant : f.type));
            }
            rs->rows.push_back(std::move(row));
        }
        if (rc != SQLITE_DONE) Check(rc);
        for (auto& f : rs->fields)
            if (f.type == DataType::Empty) f.type = DataType::VarWChar;
        return rs;
    }

    void Begin() override { Execute("BEGIN IMMEDIATE"); }
    void Commit() override { Execute("COMMIT"); }
    void Rollback() override {
        if (!sqlite3_get_autocommit(db_.get())) Execute("ROLLBACK");
    }
    void Close() noexcept override { db_.reset(); }
    void SetCommandTimeout(int seconds) override {
        sqlite3_busy_timeout(db_.get(), seconds > 0 ? seconds * 1000 : defaultBusyMs_);
    }

private:
    std::string Translate(const std::string& tsql) {
        catalog_.Refresh(db_.get());
        return translator_.ToSqlite(tsql);
    }

    void Check(int rc) {
        if (rc == SQLITE_OK || rc == SQLITE_DONE || rc == SQLITE_ROW) return;
        int ext = sqlite3_extended_errcode(db_.get());
        std::string msg = sqlite3_errmsg(db_.get());
        const Fault fault = SqliteFault(ext, msg);
        throw Error(FaultCode(fault, CodeOf(ext)), FaultDescription(fault, "[SQLite] " + msg),
                    (ext & 0xFF) == SQLITE_CONSTRAINT ? "23000" : "");
    }

    DbHandle db_;
    int defaultBusyMs_;
    Catalog catalog_;
    dialect::TsqlTranslator translator_;
};

}  // namespace

DataType DataTypeFromDeclared(std::string_view declared) {
    std::string d = Lower(declared);
    auto p = d.find('(');
    if (p != std::string::npos) d = d.substr(0, p);
    while (!d.empty() && d.back() == ' ') d.pop_back();
    while (!d.empty() && d.front() == ' ') d.erase(d.begin());
    if (d == "smallint") return DataType::SmallInt;
    if (d == "tinyint") return DataType::UnsignedTinyInt;
    if (d == "int" || d == "integer" || d == "mediumint") return DataType::Integer;
    if (d == "bigint" || d == "int8") return DataType::BigInt;
    if (d == "bit" || d == "boolean" || d == "bool") return DataType::Boolean;
    if (d == "real" || d == "single") return DataType::Single;
    if (d == "float" || d == "double" || d == "double precision") return DataType::Double;
    if (d == "money" || d == "smallmoney") return DataType::Currency;
    if (d == "numeric") return DataType::Numeric;
    if (d == "decimal") return DataType::Decimal;
    if (d == "date") return DataType::DBDate;
    if (d == "time") return DataType::DBTime;
    if (d == "datetime" || d == "smalldatetime" || d == "timestamp" || d == "datetime2") return DataType::DBTimeStamp;
    if (d == "blob" || d == "varbinary" || d == "binary" || d == "image") return DataType::VarBinary;
    if (d.find("int") != std::string::npos) return DataType::Integer;
    return DataType::VarWChar;
}

std::unique_ptr<Driver> OpenSqliteDriver(const ConnectionString& cs) {
    auto source = cs.Get("Data Source");
    if (!source) source = cs.Get("Database");
    if (!source || source->empty())
        throw Error(ErrorCode::ConnectionFailed, "连接字符串缺少数据库文件（Data Source）。");
    const std::string& path = *source;
    const std::string shown = text::Abbreviate(path, 200);
    if (path != ":memory:") {
        std::error_code ec;
        const bool exists = std::filesystem::exists(path, ec);
        if (ec)
            throw Error(ErrorCode::ConnectionFailed, "无法访问数据库文件：" + shown + "\n" + ec.message());
        if (!exists) throw Error(ErrorCode::ConnectionFailed, "数据库文件不存在：" + shown);
    }
    // The file as SQLite names the fault, with the file and SQLite's own words after it.
    auto openFailure = [&shown](int rc, const std::string& msg) {
        Fault fault = SqliteFault(rc, msg);
        if (fault == Fault::Other || fault == Fault::MissingTable) fault = Fault::CannotOpen;
        return Error(FaultCode(fault, ErrorCode::ConnectionFailed),
                     FaultDescription(fault, "") + "\n数据库文件：" + shown + "\n[SQLite] " + msg);
    };
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, OfdLockingVfs());
    DbHandle db(raw);
    if (rc != SQLITE_OK) throw openFailure(rc, raw ? sqlite3_errmsg(raw) : "out of memory");
    int timeoutMs = 10000;
    if (auto t = cs.Get("Busy Timeout")) {
        int v = 0;
        auto [p, ec] = std::from_chars(t->data(), t->data() + t->size(), v);
        if (ec == std::errc() && v >= 0) timeoutMs = v;
    }
    sqlite3_busy_timeout(db.get(), timeoutMs);
    sqlite3_extended_result_codes(db.get(), 1);
    // A file that is not a database shows itself at the first read.
    char* err = nullptr;
    if (int probe = sqlite3_exec(db.get(), "select count(*) from sqlite_master", nullptr, nullptr, &err); probe != SQLITE_OK) {
        std::string msg = err ? err : sqlite3_errstr(probe);
        sqlite3_free(err);
        throw openFailure(sqlite3_extended_errcode(db.get()), msg);
    }
    return std::make_unique<SqliteDriver>(std::move(db), timeoutMs);
}

}  // namespace db::sqlite
