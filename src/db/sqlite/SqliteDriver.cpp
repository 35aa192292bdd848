#include "db/sqlite/SqliteDriver.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <optional>

#include "db/ConnectionString.h"
#include "db/Error.h"
#include "db/ColumnCatalog.h"
#include "db/Fault.h"
#include "db/TextUtil.h"
#include "db/TypeClass.h"
#include "db/dialect/TranslationCache.h"
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
    // True when the schema changed since the last call (the columns were read again).
    bool Refresh(sqlite3* db) {
        int version = SchemaVersion(db);
        if (version == version_) return false;
        columns_.Clear();
        std::vector<std::string> names;
        {
            sqlite3_stmt* raw = nullptr;
            if (sqlite3_prepare_v2(db, "select name from sqlite_master where type in ('table','view')", -1, &raw, nullptr) != SQLITE_OK) return true;
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
        return true;
    }
    const ColumnCatalog& Columns() const { return columns_; }
    // Before the connection closes.
    void Release() noexcept { version_statement_.reset(); }

private:
    // Asked before every statement, so prepared once.
    int SchemaVersion(sqlite3* db) {
        if (!version_statement_) {
            sqlite3_stmt* raw = nullptr;
            if (sqlite3_prepare_v2(db, "pragma schema_version", -1, &raw, nullptr) != SQLITE_OK) return -2;
            version_statement_.reset(raw);
        }
        sqlite3_stmt* st = version_statement_.get();
        const int version = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int(st, 0) : -2;
        sqlite3_reset(st);
        return version;
    }
    int version_ = -1;
    ColumnCatalog columns_;
    StmtHandle version_statement_;
};

// The class of a column's declared type, taken once per column and not at every value.
struct ColumnClass {
    explicit ColumnClass(DataType t)
        : type(t), numeric(IsNumericClass(t)), integer(IsIntegerClass(t)), date(IsDateClass(t)), text(IsTextClass(t)) {}
    DataType type;
    bool numeric, integer, date, text;
};

std::string_view TextOf(sqlite3_stmt* st, int i) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
    return p ? std::string_view(p, static_cast<size_t>(sqlite3_column_bytes(st, i))) : std::string_view();
}

Value ReadColumn(sqlite3_stmt* st, int i, const ColumnClass& c) {
    int storage = sqlite3_column_type(st, i);
    if (storage == SQLITE_NULL) return Value::Null();
    if (c.numeric) {
        if (storage == SQLITE_INTEGER) {
            sqlite3_int64 v = sqlite3_column_int64(st, i);
            return c.integer ? IntegerValue(c.type, v) : Value::Double(static_cast<double>(v));
        }
        if (storage == SQLITE_FLOAT) {
            double d = sqlite3_column_double(st, i);
            if (c.type == DataType::Boolean) return Value::Bool(d != 0);
            return Value::Double(d);
        }
        // Text in a numeric column: the number it holds, else the text itself.
        const std::string_view s = TextOf(st, i);
        double d = 0;
        auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), d);
        if (ec == std::errc() && p == s.data() + s.size() && !s.empty()) return Value::Double(d);
        return Value::Text(std::string(s));
    }
    if (c.date && storage == SQLITE_TEXT) {
        const std::string_view s = TextOf(st, i);
        if (auto d = DateTime::Parse(s)) return Value::Date(*d);
        return Value::Text(std::string(s));
    }
    switch (storage) {
        case SQLITE_INTEGER:
            if (c.text) return Value::Text(std::to_string(sqlite3_column_int64(st, i)));
            return IntegerValue(DataType::Integer, sqlite3_column_int64(st, i));
        case SQLITE_FLOAT:
            if (c.text) return Value::Text(FormatDouble(sqlite3_column_double(st, i)));
            return Value::Double(sqlite3_column_double(st, i));
        default:
            return Value::Text(std::string(TextOf(st, i)));
    }
}

// Which file a path names: device and inode. A database file removed or replaced while it is open
// stays open under SQLite, which would go on writing into a file nobody will ever open again.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

std::optional<FileIdentity> IdentityOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return FileIdentity{st.st_dev, st.st_ino};
}

class SqliteDriver final : public Driver {
public:
    SqliteDriver(DbHandle db, int defaultBusyMs, std::string path, std::optional<FileIdentity> opened)
        : db_(std::move(db)), defaultBusyMs_(defaultBusyMs), path_(std::move(path)), opened_(opened),
          translator_(
              [this](std::string_view, std::string_view column) {
                  catalogAsked_ = true;
                  return Columns().IsTextColumn(column);
              },
              [this](std::string_view, std::string_view column) {
                  catalogAsked_ = true;
                  return Columns().IsKnownColumn(column);
              }) {}

    std::string Name() const override { return "sqlite"; }

    long long Execute(const std::string& tsql) override {
        // A statement of its own writes at once; one inside a transaction was checked at its start.
        if (sqlite3_get_autocommit(db_.get())) RefuseIfFileReplaced();
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
                DataType d = Columns().ClassOf(h.table, h.column);
                if (d != DataType::Empty) f.type = d;
            }
        }
        std::vector<ColumnClass> classes;
        classes.reserve(static_cast<size_t>(n));
        bool undecided = false;
        for (const auto& f : rs->fields) {
            classes.emplace_back(f.type == DataType::Empty ? DataType::Variant : f.type);
            undecided = undecided || f.type == DataType::Empty;
        }
        int rc;
        while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
            // An expression without a known type takes the class of its first value that is not
            // null (rows read before held nulls only).
            if (undecided) {
                undecided = false;
                for (int i = 0; i < n; ++i) {
                    auto& f = rs->fields[i];
                    if (f.type != DataType::Empty) continue;
                    switch (sqlite3_column_type(st.get(), i)) {
                        case SQLITE_INTEGER: f.type = DataType::Integer; break;
                        case SQLITE_FLOAT: f.type = DataType::Double; break;
                        case SQLITE_TEXT: f.type = DataType::VarWChar; break;
                        default: undecided = true; break;
                    }
                    if (f.type != DataType::Empty) classes[static_cast<size_t>(i)] = ColumnClass(f.type);
                }
            }
            std::vector<Value> row;
            row.reserve(static_cast<size_t>(n));
            for (int i = 0; i < n; ++i) row.push_back(ReadColumn(st.get(), i, classes[static_cast<size_t>(i)]));
            rs->rows.push_back(std::move(row));
        }
        if (rc != SQLITE_DONE) Check(rc);
        for (auto& f : rs->fields)
            if (f.type == DataType::Empty) f.type = DataType::VarWChar;
        return rs;
    }

    void Begin() override {
        RefuseIfFileReplaced();
        Execute("BEGIN IMMEDIATE");
    }
    // Checked again before the commit: the caller then rolls back, and nothing lands in the
    // file that was taken away meanwhile.
    void Commit() override {
        RefuseIfFileReplaced();
        Execute("COMMIT");
    }
    void Rollback() override {
        if (!sqlite3_get_autocommit(db_.get())) Execute("ROLLBACK");
    }
    void Close() noexcept override {
        catalog_.Release();
        db_.reset();
    }
    void SetCommandTimeout(int seconds) override {
        sqlite3_busy_timeout(db_.get(), seconds > 0 ? seconds * 1000 : defaultBusyMs_);
    }

private:
    // Through the cache of translations. The catalog is consulted, and checked against the schema
    // (a statement of its own), only for the statements whose translation needs it: those with a
    // '+' between texts; a schema change empties the cache.
    std::string Translate(const std::string& tsql) {
        catalogChecked_ = false;
        auto translate = [this](std::string_view shape, bool& usesCatalog) {
            catalogAsked_ = false;
            std::string sql = translator_.ToSqlite(shape);
            usesCatalog = catalogAsked_;
            return sql;
        };
        bool usesCatalog = false;
        std::string sql = translations_.Get(tsql, translate, usesCatalog);
        if (usesCatalog && !catalogChecked_) {
            const size_t before = translations_.Size();
            Columns();
            if (translations_.Size() < before) sql = translations_.Get(tsql, translate, usesCatalog);
        }
        return sql;
    }

    // The catalog, read again at most once per statement when the schema changed.
    const ColumnCatalog& Columns() {
        if (!catalogChecked_) {
            catalogChecked_ = true;
            if (catalog_.Refresh(db_.get())) translations_.Clear();
        }
        return catalog_.Columns();
    }

    void RefuseIfFileReplaced() const {
        if (!opened_ || IdentityOf(path_) == opened_) return;
        throw Error(ErrorCode::ConnectionFailed, "数据库文件已被移走或替换，请重新打开程序。");
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
    std::string path_;
    std::optional<FileIdentity> opened_;  // none for an in-memory database
    Catalog catalog_;
    bool catalogChecked_ = false;  // for the statement at hand
    bool catalogAsked_ = false;    // by the translation at hand
    dialect::TsqlTranslator translator_;
    dialect::TranslationCache translations_;
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
    sqlite3_exec(db.get(), kConnectionSettings, nullptr, nullptr, nullptr);
    // The file as it was opened, taken once SQLite has read it.
    // An absolute path, so that the check means the same file whatever the working folder becomes.
    std::optional<FileIdentity> opened;
    std::string absolute = path;
    if (path != ":memory:") {
        std::error_code ec;
        if (auto a = std::filesystem::absolute(path, ec); !ec) absolute = a.string();
        opened = IdentityOf(absolute);
        if (!opened) throw Error(ErrorCode::ConnectionFailed, "数据库文件已被移走或替换，请重新打开程序。");
    }
    return std::make_unique<SqliteDriver>(std::move(db), timeoutMs, absolute, opened);
}

}  // namespace db::sqlite
