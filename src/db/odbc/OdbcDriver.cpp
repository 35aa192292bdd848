#include "db/odbc/OdbcDriver.h"

#include <sql.h>
#include <sqlext.h>
#include <sqlite3.h>
#include <sqlucode.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <optional>

#include "db/ConnectionString.h"
#include "db/Error.h"
#include "db/ColumnCatalog.h"
#include "db/TextUtil.h"
#include "db/TypeClass.h"
#include "db/Utf8.h"
#include "db/dialect/TsqlTranslator.h"
#include "db/odbc/OdbcCall.h"
#include "db/odbc/OdbcConnectionString.h"
#include "db/odbc/OdbcTypes.h"
#include "db/sqlite/SqliteDriver.h"

namespace db::odbc {
namespace {

using text::Lower;
using text::Utf16ToUtf8;
using text::Utf8ToUtf16;

// The statement time-out when the host set none: ADO's default for a command.
constexpr SQLULEN kDefaultCommandTimeoutSeconds = 30;

// Rows fetched per call when the driver takes block cursors, and the widest buffer a bound
// character or binary column gets per row; a longer value is read whole on its own afterwards.
constexpr SQLULEN kBlockRows = 256;
constexpr SQLULEN kMaxBoundBytes = 512;

// What the data source is, as far as the statement texts and error codes go.
enum class Dialect { SqlServer, Sqlite, Postgres, Other };


bool IsBlank(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isspace(c) || c == ';'; });
}

// The SQLite ODBC driver runs one statement per call; the embedded driver runs a whole script.
// sqlite3_complete tells a ';' that ends a statement from one inside a literal, a comment or a
// trigger body.
std::vector<std::string> SplitSqliteStatements(std::string_view sql) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t semi = sql.find(';'); semi != std::string_view::npos; semi = sql.find(';', semi + 1)) {
        std::string piece(sql.substr(start, semi + 1 - start));
        if (!sqlite3_complete(piece.c_str())) continue;
        if (!IsBlank(piece)) out.push_back(std::move(piece));
        start = semi + 1;
    }
    if (!IsBlank(sql.substr(start))) out.emplace_back(sql.substr(start));
    return out;
}

// Whether a statement changes the schema: it starts with CREATE, ALTER or DROP.
bool ChangesSchema(std::string_view sql) {
    const size_t start = sql.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos) return false;
    const size_t end = sql.find_first_of(" \t\r\n(;", start);
    const std::string word = Lower(sql.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    return word == "create" || word == "alter" || word == "drop";
}

std::string QuotedName(std::string_view name) {
    std::string out = "\"";
    for (char c : name) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

struct Column {
    std::string name;
    DataType type = DataType::VarWChar;
    SQLULEN size = 0;         // the column size the driver reports: characters, digits or bytes
    bool expression = false;  // no table column behind it
};

// The C type a value of class t is asked for.
SQLSMALLINT CTypeFor(DataType t) {
    if (IsIntegerClass(t)) return SQL_C_SBIGINT;
    if (IsApproximateClass(t)) return SQL_C_DOUBLE;
    // The decimal text, so that the value is rounded once, here, to the nearest double.
    if (IsExactNumericClass(t)) return SQL_C_CHAR;
    if (t == DataType::DBDate || t == DataType::DBTimeStamp || t == DataType::Date) return SQL_C_TYPE_TIMESTAMP;
    if (t == DataType::DBTime) return SQL_C_TYPE_TIME;
    if (t == DataType::VarBinary || t == DataType::Binary) return SQL_C_BINARY;
    return SQL_C_WCHAR;
}

// Bytes of a value of a fixed-size C type; 0 for character and binary data.
SQLLEN FixedSize(SQLSMALLINT cType) {
    switch (cType) {
        case SQL_C_SBIGINT: return sizeof(SQLBIGINT);
        case SQL_C_DOUBLE: return sizeof(double);
        case SQL_C_TYPE_TIMESTAMP: return sizeof(SQL_TIMESTAMP_STRUCT);
        case SQL_C_TYPE_TIME: return sizeof(SQL_TIME_STRUCT);
        default: return 0;
    }
}

// Bytes the driver adds after character data.
size_t TerminatorSize(SQLSMALLINT cType) { return cType == SQL_C_WCHAR ? sizeof(SQLWCHAR) : cType == SQL_C_CHAR ? 1 : 0; }

// The buffer a bound column gets per row: a fixed-size value whole; character data for the
// column size the driver reports (which need not bound what the rows hold), within limits.
SQLLEN BoundWidth(SQLSMALLINT cType, SQLULEN columnSize) {
    if (SQLLEN fixed = FixedSize(cType)) return fixed;
    const SQLULEN unit = cType == SQL_C_WCHAR ? sizeof(SQLWCHAR) : 1;
    const SQLULEN extra = cType == SQL_C_CHAR ? 3 : 1;  // sign and decimal point; the terminator
    const SQLULEN units = std::clamp<SQLULEN>(columnSize, 8, kMaxBoundBytes) + extra;
    // Whole SQLLEN units keep every row's buffer aligned for the structs.
    const SQLULEN bytes = std::min(units * unit, kMaxBoundBytes);
    return static_cast<SQLLEN>((bytes + sizeof(SQLLEN) - 1) / sizeof(SQLLEN) * sizeof(SQLLEN));
}

// The value of class t from what the driver wrote for C type cType: the struct or number itself,
// or `bytes` bytes of character or binary data without a terminator.
Value Decode(DataType t, SQLSMALLINT cType, const char* data, size_t bytes) {
    switch (cType) {
        case SQL_C_SBIGINT: {
            SQLBIGINT v = 0;
            std::memcpy(&v, data, sizeof v);
            return IntegerValue(t, v);
        }
        case SQL_C_DOUBLE: {
            double v = 0;
            std::memcpy(&v, data, sizeof v);
            return Value::Double(v);
        }
        case SQL_C_CHAR: {
            // Text that is not a number (SQLite stores whatever it is given) stays text, as in
            // the embedded driver.
            std::string_view s(data, bytes);
            while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
            while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
            double v = 0;
            auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
            if (!s.empty() && ec == std::errc() && p == s.data() + s.size()) return Value::Double(v);
            return Value::Text(std::string(data, bytes));
        }
        case SQL_C_TYPE_TIMESTAMP: {
            SQL_TIMESTAMP_STRUCT ts{};
            std::memcpy(&ts, data, sizeof ts);
            return Value::Date(DateTime{ts.year, ts.month, ts.day, ts.hour, ts.minute, ts.second});
        }
        case SQL_C_TYPE_TIME: {  // a time of day on the host's day zero
            SQL_TIME_STRUCT tm{};
            std::memcpy(&tm, data, sizeof tm);
            return Value::Date(DateTime{1899, 12, 30, tm.hour, tm.minute, tm.second});
        }
        case SQL_C_BINARY: return Value::Text(std::string(data, bytes));
        default: return Value::Text(Utf16ToUtf8(data, bytes / sizeof(char16_t)));
    }
}

class OdbcDriver final : public Driver {
public:
    explicit OdbcDriver(const ConnectionString& cs)
        : cs_(cs),
          translator_([this](std::string_view, std::string_view column) { return catalog_.IsTextColumn(column); },
                      [this](std::string_view, std::string_view column) { return catalog_.IsKnownColumn(column); }) {
        ctx_.secrets = &cs_;
        target_ = ToOdbcTarget(cs_);
        Connect(target_);
    }
    ~OdbcDriver() override { Close(); }

    std::string Name() const override { return "odbc"; }

    long long Execute(const std::string& tsql) override {
        std::string sql = ForDataSource(tsql);
        if (dialect_ != Dialect::Sqlite) {
            const long long rows = ExecuteOne(sql);
            // A server's catalog is read once; what this session changed in it is read again.
            if (ChangesSchema(sql)) catalogLoaded_ = false;
            return rows;
        }
        long long rows = 0;
        for (const auto& statement : SplitSqliteStatements(sql)) rows = ExecuteOne(statement);
        return rows;
    }

    std::shared_ptr<RowSet> Query(const std::string& tsql) override {
        std::string sql = ForDataSource(tsql);
        if (dialect_ == Dialect::Sqlite) {  // like the embedded driver, the first statement only
            auto statements = SplitSqliteStatements(sql);
            sql = statements.empty() ? std::string() : statements.front();
        }
        auto rs = std::make_shared<RowSet>();
        if (IsBlank(sql)) return rs;
        StmtHandle st = NewStatement();
        SQLRETURN rc = ExecDirect(st.get(), sql);
        // A batch may start with statements that return no rows; the first result set is the answer.
        SQLSMALLINT count = 0;
        for (;;) {
            if (rc != SQL_NO_DATA) StmtCall(st.get(), SQLNumResultCols(st.get(), &count));
            if (count > 0) break;
            rc = StmtCall(st.get(), SQLMoreResults(st.get()));
            if (rc == SQL_NO_DATA) return rs;
        }
        std::vector<Column> columns = DescribeColumns(st.get(), count, sql);
        for (const auto& c : columns) rs->fields.push_back(FieldInfo{c.name, c.type});
        if (blockFetch_ && BindBlock(st.get(), columns)) ReadBlocks(st.get(), columns, *rs);
        else ReadRows(st.get(), columns, *rs);
        // Errors of later statements in a batch surface only as their results are passed.
        while (StmtCall(st.get(), SQLMoreResults(st.get())) != SQL_NO_DATA) {}
        return rs;
    }

    void Begin() override {
        // SQLite begins transactions deferred: two sessions that each read and then write would
        // lock each other out, and the second would fail at once instead of waiting. A delete that
        // matches no row takes the write lock when the transaction begins, as the embedded driver's
        // BEGIN IMMEDIATE does, so that a second writer waits here for the first to finish. The
        // table is looked up before the transaction: a read inside it would hold the lock that
        // keeps the first writer from committing.
        std::optional<std::string> lockTable;
        if (dialect_ == Dialect::Sqlite)
            lockTable = Scalar("select name from sqlite_master where type='table' and name not like 'sqlite!_%' escape '!' "
                               "order by name limit 1");
        SetAutocommit(false);
        inTransaction_ = true;
        if (!lockTable) return;
        try {
            ExecuteOne("delete from " + QuotedName(*lockTable) + " where 0");
        } catch (...) {
            try {
                EndTransaction(SQL_ROLLBACK);
            } catch (const Error&) {  // the failure to take the lock is the one to report
            }
            throw;
        }
    }

    void Commit() override {
        DbcCall(SQLEndTran(SQL_HANDLE_DBC, dbc_.get(), SQL_COMMIT));
        inTransaction_ = false;
        SetAutocommit(true);
    }

    void Rollback() override {
        if (!inTransaction_) return;
        EndTransaction(SQL_ROLLBACK);
    }

    // SQL Server and other DBMS: the statement time-out of every statement. SQLite's ODBC driver
    // waits on a locked database for the "Timeout" of its connection string instead (it sets its
    // busy handler again for every statement): it is connected again with the time-out there.
    void SetCommandTimeout(int seconds) override {
        commandTimeout_ = seconds > 0 ? seconds : 0;
        if (dialect_ != Dialect::Sqlite || commandTimeout_ == 0 || inTransaction_) return;
        OdbcTarget t = target_;
        t.connectionString = WithKey(t.connectionString, "Timeout", std::to_string(commandTimeout_ * 1000));
        Close();
        Connect(t);
    }

    void Close() noexcept override {
        if (inTransaction_ && connected_) {
            try {
                DbcCall(SQLEndTran(SQL_HANDLE_DBC, dbc_.get(), SQL_ROLLBACK));
            } catch (...) {  // closing anyway
            }
        }
        inTransaction_ = false;
        connected_.reset();
        dbc_.reset();
        env_.reset();
    }

private:
    SQLRETURN EnvCall(SQLRETURN rc) const { return Check(rc, SQL_HANDLE_ENV, env_.get(), ctx_); }
    SQLRETURN DbcCall(SQLRETURN rc) const { return Check(rc, SQL_HANDLE_DBC, dbc_.get(), ctx_); }
    SQLRETURN StmtCall(SQLHSTMT st, SQLRETURN rc) const { return Check(rc, SQL_HANDLE_STMT, st, ctx_); }

    void Connect(const OdbcTarget& target) {
        SQLHANDLE env = SQL_NULL_HANDLE;
        SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
        env_.reset(SQL_SUCCEEDED(rc) ? env : SQL_NULL_HANDLE);
        EnvCall(rc);
        EnvCall(SQLSetEnvAttr(env_.get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0));
        SQLHANDLE dbc = SQL_NULL_HANDLE;
        rc = SQLAllocHandle(SQL_HANDLE_DBC, env_.get(), &dbc);
        dbc_.reset(SQL_SUCCEEDED(rc) ? dbc : SQL_NULL_HANDLE);
        EnvCall(rc);
        DbcCall(SQLSetConnectAttr(dbc_.get(), SQL_ATTR_LOGIN_TIMEOUT,
                                  reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(target.loginTimeoutSeconds)), 0));
        std::string text = target.connectionString;
        try {
            DbcCall(SQLDriverConnect(dbc_.get(), nullptr, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS, nullptr, 0,
                                     nullptr, SQL_DRIVER_NOPROMPT));
        } catch (const Error& e) {
            std::optional<ConnectionString> sent;
            try {
                sent = ConnectionString::Parse(target.connectionString);
            } catch (const Error&) {  // shown as the host gave it then
            }
            const ConnectionString& shown = sent ? *sent : cs_;
            std::string message = "无法连接数据库（" + shown.Redacted() + "）：\n" + e.Description() + SetupHint(shown, e.SqlState());
            throw Error(ErrorCode::ConnectionFailed, cs_.Scrub(std::move(message)), e.SqlState());
        }
        connected_.reset(dbc_.get());

        char name[256] = {};
        SQLSMALLINT length = 0;
        DbcCall(SQLGetInfo(dbc_.get(), SQL_DBMS_NAME, name, sizeof name, &length));
        std::string dbms = name;
        dialect_ = dbms == "Microsoft SQL Server"           ? Dialect::SqlServer
                   : Lower(dbms).rfind("sqlite", 0) == 0 ? Dialect::Sqlite
                   : dbms == "PostgreSQL"                ? Dialect::Postgres
                                                         : Dialect::Other;
        // SQL Server's drivers take UTF-16 whatever the locale or the client character set, and so
        // does psqlODBC's Unicode driver (unixODBC converts for its ANSI one); the SQLite driver has
        // no wide calls and works in UTF-8.
        ctx_.wide = dialect_ == Dialect::SqlServer || dialect_ == Dialect::Postgres;
        ctx_.sqliteCodes = dialect_ == Dialect::Sqlite;

        SQLUINTEGER getData = 0;
        blockFetch_ = SQL_SUCCEEDED(SQLGetInfo(dbc_.get(), SQL_GETDATA_EXTENSIONS, &getData, sizeof getData, nullptr)) &&
                      (getData & SQL_GD_BLOCK) && (getData & SQL_GD_BOUND) && (getData & SQL_GD_ANY_COLUMN);
    }

    // What unixODBC knows, when the connection string names a driver or a data source it does not.
    std::string SetupHint(const ConnectionString& sent, const std::string& sqlState) {
        if (sqlState == "IM002") return "\n已定义的数据源：" + Listed(&SQLDataSources, SQL_FETCH_FIRST) + "（odbcinst -q -s）";
        auto driver = sent.Get("Driver");
        if (!driver || driver->find('/') != std::string::npos) return {};
        std::string installed = Listed(&SQLDrivers, SQL_FETCH_FIRST);
        std::string name = driver->size() >= 2 && driver->front() == '{' ? driver->substr(1, driver->size() - 2) : *driver;
        if (("，" + installed + "，").find("，" + name + "，") != std::string::npos) return {};
        return "\n已安装的 ODBC 驱动程序：" + installed + "（odbcinst -q -d）";
    }

    // The names SQLDrivers or SQLDataSources enumerate, separated by '，'.
    template <typename Enumerate>
    std::string Listed(Enumerate enumerate, SQLUSMALLINT direction) {
        std::string names;
        try {
            for (;;) {
                SQLCHAR name[256] = {}, description[1024] = {};
                SQLSMALLINT nl = 0, dl = 0;
                if (EnvCall(enumerate(env_.get(), direction, name, sizeof name, &nl, description, sizeof description, &dl)) ==
                    SQL_NO_DATA)
                    break;
                if (!names.empty()) names += "，";
                names += reinterpret_cast<const char*>(name);
                direction = SQL_FETCH_NEXT;
            }
        } catch (const Error&) {  // the list is only a hint
        }
        return names.empty() ? "无" : names;
    }

    StmtHandle NewStatement() {
        if (!connected_) throw Error(ErrorCode::ClosedObject, "对象关闭时，不允许操作。");
        SQLHANDLE st = SQL_NULL_HANDLE;
        SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_STMT, dbc_.get(), &st);
        StmtHandle handle(SQL_SUCCEEDED(rc) ? st : SQL_NULL_HANDLE);
        DbcCall(rc);
        // A driver without statement time-outs (an optional feature) runs the statement anyway.
        const SQLULEN seconds = commandTimeout_ > 0 ? commandTimeout_ : kDefaultCommandTimeoutSeconds;
        SQLSetStmtAttr(handle.get(), SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(seconds), SQL_IS_UINTEGER);
        return handle;
    }

    SQLRETURN ExecDirect(SQLHSTMT st, const std::string& sql) {
        if (ctx_.wide) {
            std::u16string text = Utf8ToUtf16(sql);
            return StmtCall(st, SQLExecDirectW(st, reinterpret_cast<SQLWCHAR*>(text.data()), static_cast<SQLINTEGER>(text.size())));
        }
        std::string text = sql;
        return StmtCall(st, SQLExecDirect(st, reinterpret_cast<SQLCHAR*>(text.data()), static_cast<SQLINTEGER>(text.size())));
    }

    // Rows affected by the last statement of the text that reports a count.
    long long ExecuteOne(const std::string& sql) {
        StmtHandle st = NewStatement();
        long long rows = 0;
        SQLRETURN rc = ExecDirect(st.get(), sql);
        for (;;) {
            if (rc == SQL_NO_DATA) {
                rows = 0;  // a searched update or delete that matched nothing
            } else {
                SQLLEN n = -1;
                StmtCall(st.get(), SQLRowCount(st.get(), &n));
                if (n >= 0) rows = n;
            }
            rc = StmtCall(st.get(), SQLMoreResults(st.get()));
            if (rc == SQL_NO_DATA) break;
        }
        return rows;
    }

    std::string ForDataSource(const std::string& tsql) {
        if (dialect_ == Dialect::SqlServer) return tsql;
        RefreshCatalog();
        return dialect_ == Dialect::Postgres ? translator_.ToPostgres(tsql) : translator_.ToSqlite(tsql);
    }

    // First column of the first row of an internal query (sent as written, not translated).
    std::optional<std::string> Scalar(const std::string& sql) {
        StmtHandle st = NewStatement();
        ExecDirect(st.get(), sql);
        if (StmtCall(st.get(), SQLFetch(st.get())) == SQL_NO_DATA) return std::nullopt;
        return ReadText(st.get(), 1);
    }

    // A SQLite data source is read again whenever its schema changed (tables added, columns
    // dropped); any other once.
    void RefreshCatalog() {
        std::string version;
        if (dialect_ == Dialect::Sqlite) version = Scalar("pragma schema_version").value_or("");
        else if (catalogLoaded_) return;
        if (catalogLoaded_ && version == catalogVersion_) return;
        catalog_.Clear();
        StmtHandle st = NewStatement();
        SQLCHAR any[] = "%";
        StmtCall(st.get(), SQLColumns(st.get(), nullptr, 0, nullptr, 0, any, SQL_NTS, any, SQL_NTS));
        while (StmtCall(st.get(), SQLFetch(st.get())) != SQL_NO_DATA) {
            std::string table = ReadText(st.get(), 3).value_or("");
            std::string column = ReadText(st.get(), 4).value_or("");
            SQLSMALLINT sqlType = SQL_UNKNOWN_TYPE;
            SQLLEN ind = 0;
            StmtCall(st.get(), SQLGetData(st.get(), 5, SQL_C_SSHORT, &sqlType, sizeof sqlType, &ind));
            std::string declared = ReadText(st.get(), 6).value_or("");
            catalog_.Add(table, column,
                         dialect_ == Dialect::Sqlite ? sqlite::DataTypeFromDeclared(declared) : DataTypeFromSqlType(sqlType));
        }
        catalogVersion_ = version;
        catalogLoaded_ = true;
    }

    std::string ColumnName(SQLHSTMT st, SQLUSMALLINT i, SQLSMALLINT& sqlType, SQLULEN& size) {
        SQLSMALLINT length = 0, digits = 0, nullable = 0;
        if (ctx_.wide) {
            std::u16string name(256, u'\0');
            for (;;) {
                StmtCall(st, SQLDescribeColW(st, i, reinterpret_cast<SQLWCHAR*>(name.data()), static_cast<SQLSMALLINT>(name.size()),
                                             &length, &sqlType, &size, &digits, &nullable));
                if (length < static_cast<SQLSMALLINT>(name.size())) break;
                name.assign(length + 1, u'\0');
            }
            name.resize(length);
            return Utf16ToUtf8(name);
        }
        std::string name(256, '\0');
        for (;;) {
            StmtCall(st, SQLDescribeCol(st, i, reinterpret_cast<SQLCHAR*>(name.data()), static_cast<SQLSMALLINT>(name.size()),
                                        &length, &sqlType, &size, &digits, &nullable));
            if (length < static_cast<SQLSMALLINT>(name.size())) break;
            name.assign(length + 1, '\0');
        }
        name.resize(length);
        return name;
    }

    std::string ColumnAttribute(SQLHSTMT st, SQLUSMALLINT i, SQLUSMALLINT field) {
        char text[512] = {};
        SQLSMALLINT length = 0;
        StmtCall(st, SQLColAttribute(st, i, field, text, sizeof text, &length, nullptr));
        return text;
    }

    std::vector<Column> DescribeColumns(SQLHSTMT st, SQLSMALLINT count, const std::string& sql) {
        std::vector<Column> columns(count);
        bool anyExpression = false;
        for (SQLUSMALLINT i = 1; i <= columns.size(); ++i) {
            Column& c = columns[i - 1];
            SQLSMALLINT sqlType = SQL_UNKNOWN_TYPE;
            c.name = ColumnName(st, i, sqlType, c.size);
            c.type = DataTypeFromSqlType(sqlType);
            if (dialect_ == Dialect::Postgres && c.type == DataType::BigInt) c.expression = anyExpression = true;
            if (dialect_ != Dialect::Sqlite) continue;
            // The SQLite driver reports numeric columns as double and money as text; the declared
            // type gives the class the embedded driver reports.
            if (!ColumnAttribute(st, i, SQL_DESC_BASE_TABLE_NAME).empty()) {
                std::string declared = ColumnAttribute(st, i, SQL_DESC_TYPE_NAME);
                if (!declared.empty()) c.type = sqlite::DataTypeFromDeclared(declared);
            } else {
                c.expression = anyExpression = true;
            }
        }
        if (!anyExpression) return columns;
        // An expression takes the type of its cast or aggregate, as in the embedded driver; else
        // the one the SQLite driver saw in the first row.
        std::vector<dialect::ColumnHint> hints = dialect::SelectListHints(sql);
        for (size_t i = 0; i < columns.size() && i < hints.size(); ++i) {
            if (!columns[i].expression) continue;
            const auto& h = hints[i];
            if (dialect_ == Dialect::Postgres) {
                // PostgreSQL counts in bigint; SQL Server's count(*) is an int.
                if (h.typeName == "int") columns[i].type = DataType::Integer;
                continue;
            }
            if (!h.typeName.empty()) {
                columns[i].type = sqlite::DataTypeFromDeclared(h.typeName);
            } else if (!h.column.empty()) {
                DataType t = catalog_.ClassOf(h.table, h.column);
                if (t != DataType::Empty) columns[i].type = t;
            }
        }
        return columns;
    }

    // A character or binary value in pieces, for values longer than one buffer.
    std::optional<std::string> ReadLong(SQLHSTMT st, SQLUSMALLINT i, SQLSMALLINT cType) {
        const size_t terminator = cType == SQL_C_WCHAR ? sizeof(SQLWCHAR) : cType == SQL_C_CHAR ? 1 : 0;
        char buffer[8192];
        const size_t room = sizeof buffer - terminator;
        std::string out;
        for (;;) {
            SQLLEN ind = 0;
            if (StmtCall(st, SQLGetData(st, i, cType, buffer, sizeof buffer, &ind)) == SQL_NO_DATA) break;
            if (ind == SQL_NULL_DATA) return std::nullopt;
            bool more = ind == SQL_NO_TOTAL || static_cast<size_t>(ind) > room;
            out.append(buffer, more ? room : static_cast<size_t>(ind));
            if (!more) break;
        }
        return out;
    }

    std::optional<std::string> ReadText(SQLHSTMT st, SQLUSMALLINT i) {
        auto bytes = ReadLong(st, i, SQL_C_WCHAR);
        if (!bytes) return std::nullopt;
        return Utf16ToUtf8(bytes->data(), bytes->size() / sizeof(char16_t));
    }

    Value ReadValue(SQLHSTMT st, SQLUSMALLINT i, DataType t) {
        const SQLSMALLINT cType = CTypeFor(t);
        if (const SQLLEN size = FixedSize(cType)) {
            alignas(SQLLEN) char buffer[sizeof(SQL_TIMESTAMP_STRUCT)] = {};
            SQLLEN ind = 0;
            StmtCall(st, SQLGetData(st, i, cType, buffer, size, &ind));
            return ind == SQL_NULL_DATA ? Value::Null() : Decode(t, cType, buffer, 0);
        }
        auto bytes = ReadLong(st, i, cType);
        return bytes ? Decode(t, cType, bytes->data(), bytes->size()) : Value::Null();
    }

    // The rows of the current result one at a time, each value asked for on its own.
    void ReadRows(SQLHSTMT st, const std::vector<Column>& columns, RowSet& rs) {
        while (StmtCall(st, SQLFetch(st)) != SQL_NO_DATA) {
            std::vector<Value> row;
            row.reserve(columns.size());
            for (SQLUSMALLINT i = 0; i < columns.size(); ++i) row.push_back(ReadValue(st, i + 1, columns[i].type));
            rs.rows.push_back(std::move(row));
        }
    }

    // Sets up block fetches of up to kBlockRows rows into buffers bound column by column. False,
    // with the statement back as it was, when the driver refuses any of it.
    bool BindBlock(SQLHSTMT st, const std::vector<Column>& columns) {
        auto undo = [&] {
            SQLFreeStmt(st, SQL_UNBIND);
            SQLSetStmtAttr(st, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(SQLULEN{1}), 0);
            SQLSetStmtAttr(st, SQL_ATTR_ROW_STATUS_PTR, nullptr, 0);
            SQLSetStmtAttr(st, SQL_ATTR_ROWS_FETCHED_PTR, nullptr, 0);
            return false;
        };
        SQLULEN rows = 0;
        if (!SQL_SUCCEEDED(SQLSetStmtAttr(st, SQL_ATTR_ROW_BIND_TYPE, reinterpret_cast<SQLPOINTER>(SQLULEN{SQL_BIND_BY_COLUMN}), 0)) ||
            !SQL_SUCCEEDED(SQLSetStmtAttr(st, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(kBlockRows), 0)) ||
            !SQL_SUCCEEDED(SQLGetStmtAttr(st, SQL_ATTR_ROW_ARRAY_SIZE, &rows, 0, nullptr)) || rows < 2 || rows > kBlockRows)
            return undo();
        block_.rows = rows;
        block_.status.assign(rows, SQL_ROW_NOROW);
        block_.fetched = 0;
        if (!SQL_SUCCEEDED(SQLSetStmtAttr(st, SQL_ATTR_ROW_STATUS_PTR, block_.status.data(), 0)) ||
            !SQL_SUCCEEDED(SQLSetStmtAttr(st, SQL_ATTR_ROWS_FETCHED_PTR, &block_.fetched, 0)))
            return undo();
        block_.columns.resize(columns.size());
        SQLLEN total = 0;
        for (size_t i = 0; i < columns.size(); ++i) {
            BoundColumn& b = block_.columns[i];
            b.cType = CTypeFor(columns[i].type);
            b.width = BoundWidth(b.cType, columns[i].size);
            b.offset = total;
            total += b.width * static_cast<SQLLEN>(rows);
        }
        // One buffer for all the columns, kept from one result to the next; it only grows.
        if (block_.data.size() < static_cast<size_t>(total)) block_.data.resize(static_cast<size_t>(total));
        if (block_.indicators.size() < columns.size() * rows) block_.indicators.resize(columns.size() * rows);
        for (size_t i = 0; i < columns.size(); ++i) {
            BoundColumn& b = block_.columns[i];
            if (!SQL_SUCCEEDED(SQLBindCol(st, static_cast<SQLUSMALLINT>(i + 1), b.cType, block_.data.data() + b.offset, b.width,
                                          block_.indicators.data() + i * rows)))
                return undo();
        }
        return true;
    }

    // The rows of the current result in blocks, into the buffers BindBlock bound. A value longer
    // than its buffer is read again whole from its row, positioned with SQLSetPos.
    void ReadBlocks(SQLHSTMT st, const std::vector<Column>& columns, RowSet& rs) {
        const SQLULEN rows = block_.rows;
        while (StmtCall(st, SQLFetch(st)) != SQL_NO_DATA) {
            for (SQLULEN r = 0; r < block_.fetched && r < rows; ++r) {
                const SQLUSMALLINT status = block_.status[r];
                if (status == SQL_ROW_NOROW) break;
                if (status == SQL_ROW_ERROR) throw ErrorFrom(ReadDiagnostics(SQL_HANDLE_STMT, st, ctx_.wide), SQL_ERROR, ctx_);
                std::vector<Value> row;
                row.reserve(columns.size());
                for (size_t i = 0; i < columns.size(); ++i) {
                    const BoundColumn& b = block_.columns[i];
                    const SQLLEN ind = block_.indicators[i * rows + r];
                    const char* data = block_.data.data() + b.offset + static_cast<SQLLEN>(r) * b.width;
                    if (ind == SQL_NULL_DATA) {
                        row.push_back(Value::Null());
                    } else if (FixedSize(b.cType)) {
                        row.push_back(Decode(columns[i].type, b.cType, data, 0));
                    } else if (ind != SQL_NO_TOTAL && ind >= 0 &&
                               static_cast<size_t>(ind) + TerminatorSize(b.cType) <= static_cast<size_t>(b.width)) {
                        row.push_back(Decode(columns[i].type, b.cType, data, static_cast<size_t>(ind)));
                    } else {
                        StmtCall(st, SQLSetPos(st, static_cast<SQLSETPOSIROW>(r + 1), SQL_POSITION, SQL_LOCK_NO_CHANGE));
                        auto bytes = ReadLong(st, static_cast<SQLUSMALLINT>(i + 1), b.cType);
                        row.push_back(bytes ? Decode(columns[i].type, b.cType, bytes->data(), bytes->size()) : Value::Null());
                    }
                }
                rs.rows.push_back(std::move(row));
            }
        }
    }

    void SetAutocommit(bool on) {
        DbcCall(SQLSetConnectAttr(dbc_.get(), SQL_ATTR_AUTOCOMMIT,
                                  reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF)),
                                  SQL_IS_UINTEGER));
    }

    // Ends the transaction; autocommit is back on even when ending it failed.
    void EndTransaction(SQLSMALLINT completion) {
        inTransaction_ = false;
        try {
            DbcCall(SQLEndTran(SQL_HANDLE_DBC, dbc_.get(), completion));
        } catch (...) {
            try {
                SetAutocommit(true);
            } catch (const Error&) {  // the first failure is the one to report
            }
            throw;
        }
        SetAutocommit(true);
    }

    ConnectionString cs_;
    OdbcTarget target_;
    ErrorContext ctx_;
    EnvHandle env_;
    DbcHandle dbc_;
    ConnectedHandle connected_;  // after dbc_: disconnects before the handle is freed
    Dialect dialect_ = Dialect::Other;
    ColumnCatalog catalog_;
    bool catalogLoaded_ = false;
    std::string catalogVersion_;
    dialect::TsqlTranslator translator_;
    bool inTransaction_ = false;
    int commandTimeout_ = 0;
    // The driver reads a value of any row of a block, bound or not, after SQLSetPos: the
    // condition for reading in blocks at all.
    bool blockFetch_ = false;
    struct BoundColumn {
        SQLSMALLINT cType = SQL_C_WCHAR;
        SQLLEN width = 0;   // bytes per row
        SQLLEN offset = 0;  // of the column's first row in data
    };
    struct Block {
        SQLULEN rows = 0;     // the block's size the driver took
        SQLULEN fetched = 0;  // rows of the last fetch
        std::vector<SQLUSMALLINT> status;
        std::vector<BoundColumn> columns;
        std::vector<SQLLEN> indicators;  // column by column, `rows` each
        std::vector<char> data;
    } block_;
};

}  // namespace
}  // namespace db::odbc

namespace db {

std::unique_ptr<Driver> OpenOdbcDriver(const ConnectionString& cs) { return std::make_unique<odbc::OdbcDriver>(cs); }

}  // namespace db
