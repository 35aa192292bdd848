// The raw side through ODBC: the hand-written program's statements sent through the ODBC driver
// that the system uses on the same database, with nothing of the system in between (no
// translation, no recordsets, no windows; only the ODBC layer's handle types and error check).
// The statement text goes over as UTF-16 (the wide calls of a Unicode driver), parameters are
// bound as UTF-16 text or doubles, and each value is read with one SQLGetData as character data
// and kept, as a hand-written ODBC program does. What this side costs over libpq is the driver's;
// what the system costs over this side is the system's own.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/RawDatabase.h"
#include "db/Utf8.h"
#include "db/odbc/OdbcCall.h"

namespace bench {
namespace {

using db::odbc::StmtHandle;

// Failures throw db::Error with the driver's diagnostics, read through the wide calls.
const db::odbc::ErrorContext kContext{.wide = true};

void Check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE h) { db::odbc::Check(rc, type, h, kContext); }

// A handle of `type` under `parent` (a handle of `parentType`, whose diagnostics tell a failure).
template <typename Handle>
Handle Allocate(SQLSMALLINT type, SQLSMALLINT parentType, SQLHANDLE parent) {
    SQLHANDLE h = SQL_NULL_HANDLE;
    const SQLRETURN rc = SQLAllocHandle(type, parent, &h);
    Handle owned(SQL_SUCCEEDED(rc) ? h : SQL_NULL_HANDLE);
    if (parent) Check(rc, parentType, parent);
    else if (!SQL_SUCCEEDED(rc)) throw std::runtime_error("ODBC: no environment handle");
    return owned;
}

std::u16string Wide(std::string_view text) { return db::text::Utf8ToUtf16(text); }

class OdbcCursor final : public RawCursor {
public:
    OdbcCursor(SQLHDBC dbc, std::string_view sql) : st_(Allocate<StmtHandle>(SQL_HANDLE_STMT, SQL_HANDLE_DBC, dbc)), wide_(Wide(sql)) {
        int count = 0;
        NumberedParameters(sql, count);
        params_.resize(static_cast<size_t>(count));
    }

    void Bind(int index, std::string_view text) override { params_.at(static_cast<size_t>(index) - 1) = Param{Wide(text), 0}; }
    void Bind(int index, double value) override { params_.at(static_cast<size_t>(index) - 1) = Param{std::nullopt, value}; }

    long Read() override {
        Execute();
        std::string kept;
        std::vector<std::uint32_t> ends;
        long rows = 0;
        while (Fetch()) {
            ++rows;
            for (SQLUSMALLINT i = 1; i <= columns_; ++i) {
                if (auto v = Value(i)) kept += *v;
                ends.push_back(static_cast<std::uint32_t>(kept.size()));
            }
        }
        Consume(static_cast<long long>(kept.size() + ends.size()));
        return rows;
    }

    long Run() override {
        Execute();
        SQLLEN changed = 0;
        Check(SQLRowCount(st_.get(), &changed), SQL_HANDLE_STMT, st_.get());
        Close();
        return changed < 0 ? 0 : static_cast<long>(changed);
    }

    bool Step() override {
        if (!open_) Execute();
        if (!Fetch()) return false;
        row_.clear();
        for (SQLUSMALLINT i = 1; i <= columns_; ++i) row_.push_back(Value(i));
        return true;
    }

    bool IsNull(int column) const override { return !row_.at(static_cast<size_t>(column)); }
    std::string_view Text(int column) const override {
        const auto& v = row_.at(static_cast<size_t>(column));
        return v ? std::string_view(*v) : std::string_view();
    }
    double Double(int column) const override { return std::strtod(std::string(Text(column)).c_str(), nullptr); }
    long long Int(int column) const override { return std::strtoll(std::string(Text(column)).c_str(), nullptr, 10); }
    int Columns() const override { return columns_; }

private:
    struct Param {
        std::optional<std::u16string> text;  // else the number
        double number = 0;
    };

    void Execute() {
        std::vector<SQLLEN> lengths(params_.size());
        for (size_t i = 0; i < params_.size(); ++i) {
            Param& p = params_[i];
            const auto n = static_cast<SQLUSMALLINT>(i + 1);
            SQLRETURN rc;
            if (p.text) {
                lengths[i] = static_cast<SQLLEN>(p.text->size() * sizeof(char16_t));
                rc = SQLBindParameter(st_.get(), n, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR, p.text->size() + 1, 0,
                                      p.text->data(), lengths[i], &lengths[i]);
            } else {
                lengths[i] = 0;
                rc = SQLBindParameter(st_.get(), n, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0, &p.number, 0, nullptr);
            }
            Check(rc, SQL_HANDLE_STMT, st_.get());
        }
        Check(SQLExecDirectW(st_.get(), reinterpret_cast<SQLWCHAR*>(wide_.data()), static_cast<SQLINTEGER>(wide_.size())),
              SQL_HANDLE_STMT, st_.get());
        SQLSMALLINT columns = 0;
        Check(SQLNumResultCols(st_.get(), &columns), SQL_HANDLE_STMT, st_.get());
        columns_ = columns;
        open_ = true;
    }

    bool Fetch() {
        const SQLRETURN rc = SQLFetch(st_.get());
        Check(rc, SQL_HANDLE_STMT, st_.get());
        if (rc != SQL_NO_DATA) return true;
        Close();
        return false;
    }

    void Close() {
        SQLFreeStmt(st_.get(), SQL_CLOSE);
        SQLFreeStmt(st_.get(), SQL_RESET_PARAMS);
        open_ = false;
    }

    // The value of a column of the current row as the driver's character data, in pieces
    // when it is longer than the buffer.
    std::optional<std::string> Value(SQLUSMALLINT column) {
        char buffer[4096];
        std::string out;
        for (;;) {
            SQLLEN ind = 0;
            const SQLRETURN rc = SQLGetData(st_.get(), column, SQL_C_CHAR, buffer, sizeof buffer, &ind);
            Check(rc, SQL_HANDLE_STMT, st_.get());
            if (rc == SQL_NO_DATA) break;
            if (ind == SQL_NULL_DATA) return std::nullopt;
            const bool more = ind == SQL_NO_TOTAL || static_cast<size_t>(ind) >= sizeof buffer;
            out.append(buffer, more ? sizeof buffer - 1 : static_cast<size_t>(ind));
            if (!more) break;
        }
        return out;
    }

    StmtHandle st_;
    std::u16string wide_;
    std::vector<Param> params_;
    std::vector<std::optional<std::string>> row_;
    SQLSMALLINT columns_ = 0;
    bool open_ = false;
};

class OdbcDatabase final : public RawDatabase {
public:
    explicit OdbcDatabase(const std::string& connectionString)
        : env_(Allocate<db::odbc::EnvHandle>(SQL_HANDLE_ENV, SQL_HANDLE_ENV, SQL_NULL_HANDLE)) {
        Check(SQLSetEnvAttr(env_.get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0), SQL_HANDLE_ENV,
              env_.get());
        dbc_ = Allocate<db::odbc::DbcHandle>(SQL_HANDLE_DBC, SQL_HANDLE_ENV, env_.get());
        std::u16string text = Wide(connectionString);
        Check(SQLDriverConnectW(dbc_.get(), nullptr, reinterpret_cast<SQLWCHAR*>(text.data()), static_cast<SQLSMALLINT>(text.size()),
                                nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT),
              SQL_HANDLE_DBC, dbc_.get());
        connected_.reset(dbc_.get());
    }

    std::unique_ptr<RawCursor> Prepare(std::string_view sql) override { return std::make_unique<OdbcCursor>(dbc_.get(), sql); }

    void Exec(const std::string& sql) override {
        auto st = Allocate<StmtHandle>(SQL_HANDLE_STMT, SQL_HANDLE_DBC, dbc_.get());
        std::u16string text = Wide(sql);
        Check(SQLExecDirectW(st.get(), reinterpret_cast<SQLWCHAR*>(text.data()), static_cast<SQLINTEGER>(text.size())),
              SQL_HANDLE_STMT, st.get());
        while (SQL_SUCCEEDED(SQLMoreResults(st.get()))) {}
    }

    void Begin() override { Autocommit(false); }
    void Commit() override {
        Check(SQLEndTran(SQL_HANDLE_DBC, dbc_.get(), SQL_COMMIT), SQL_HANDLE_DBC, dbc_.get());
        Autocommit(true);
    }

private:
    void Autocommit(bool on) {
        Check(SQLSetConnectAttr(dbc_.get(), SQL_ATTR_AUTOCOMMIT,
                                reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF)),
                                SQL_IS_UINTEGER),
              SQL_HANDLE_DBC, dbc_.get());
    }

    db::odbc::EnvHandle env_;
    db::odbc::DbcHandle dbc_;
    db::odbc::ConnectedHandle connected_;  // after dbc_: disconnects before the handle is freed
};

}  // namespace

std::unique_ptr<RawDatabase> RawDatabase::OpenOdbc(const std::string& connectionString) {
    return std::make_unique<OdbcDatabase>(connectionString);
}

}  // namespace bench
