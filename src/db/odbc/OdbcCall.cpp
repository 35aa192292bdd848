#include "db/odbc/OdbcCall.h"

#include <sqlucode.h>

#include <algorithm>

#include "db/Error.h"
#include "db/Fault.h"
#include "db/Utf8.h"

namespace db::odbc {
namespace {

using text::Utf16ToUtf8;

constexpr long kSqliteError = 1;        // SQLITE_ERROR: bad statement, missing table or column
constexpr long kSqliteConstraint = 19;  // SQLITE_CONSTRAINT

bool IsWarning(const DiagRecord& r) { return r.state.rfind("01", 0) == 0; }

// SQL Server's error numbers of the common faults.
constexpr long kSqlServerDeadlock = 1205, kSqlServerLockTimeout = 1222, kSqlServerReadOnly = 3906,
               kSqlServerFileGroupFull = 1105, kSqlServerLogFull = 9002, kSqlServerCorruptPage = 824;

Fault FaultOf(const DiagRecord& r, bool sqliteCodes) {
    if (sqliteCodes && r.native != 0) {
        const Fault f = SqliteFault(static_cast<int>(r.native), r.text);
        if (f != Fault::Other) return f;
    }
    if (r.state == "HYT00" || r.state == "HYT01" || r.state == "40001") return Fault::Busy;
    // PostgreSQL: statement_timeout or lock_timeout reached, or the statement cancelled; a deadlock.
    if (r.state == "57014" || r.state == "55P03") return Fault::Busy;
    if (r.state == "40P01") return Fault::Deadlock;
    if (IsConnectionLoss(r.state)) return Fault::ConnectionLost;
    // A read-only transaction: a standby, or default_transaction_read_only set for the session.
    if (r.state == "25006") return Fault::ReadOnly;
    if (r.state == "42S02" || r.state == "42P01") return Fault::MissingTable;
    switch (r.native) {
        case kSqlServerDeadlock: case kSqlServerLockTimeout: return Fault::Busy;
        case kSqlServerReadOnly: return Fault::ReadOnly;
        case kSqlServerFileGroupFull: case kSqlServerLogFull: return Fault::DiskFull;
        case kSqlServerCorruptPage: return Fault::Corrupt;
        default: break;
    }
    return MissingTableName(r.text).empty() ? Fault::Other : Fault::MissingTable;
}

}  // namespace

std::vector<DiagRecord> ReadDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle, bool wide) {
    std::vector<DiagRecord> records;
    if (!handle) return records;
    for (SQLSMALLINT i = 1;; ++i) {
        DiagRecord r;
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        SQLRETURN rc;
        if (wide) {
            SQLWCHAR state[6] = {};
            std::u16string text(1024, u'\0');
            rc = SQLGetDiagRecW(handleType, handle, i, state, &native, reinterpret_cast<SQLWCHAR*>(text.data()),
                                static_cast<SQLSMALLINT>(text.size()), &length);
            if (rc == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(text.size())) {
                text.assign(length + 1, u'\0');
                rc = SQLGetDiagRecW(handleType, handle, i, state, &native, reinterpret_cast<SQLWCHAR*>(text.data()),
                                    static_cast<SQLSMALLINT>(text.size()), &length);
            }
            if (!SQL_SUCCEEDED(rc)) break;
            text.resize(std::min<size_t>(length, text.size() - 1));
            for (SQLWCHAR c : state)
                if (c) r.state += static_cast<char>(c);
            r.text = Utf16ToUtf8(text);
        } else {
            SQLCHAR state[6] = {};
            std::string text(2048, '\0');
            rc = SQLGetDiagRec(handleType, handle, i, state, &native, reinterpret_cast<SQLCHAR*>(text.data()),
                               static_cast<SQLSMALLINT>(text.size()), &length);
            if (rc == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(text.size())) {
                text.assign(length + 1, '\0');
                rc = SQLGetDiagRec(handleType, handle, i, state, &native, reinterpret_cast<SQLCHAR*>(text.data()),
                                   static_cast<SQLSMALLINT>(text.size()), &length);
            }
            if (!SQL_SUCCEEDED(rc)) break;
            text.resize(std::min<size_t>(length, text.size() - 1));
            r.state = reinterpret_cast<const char*>(state);
            r.text = std::move(text);
        }
        r.native = native;
        records.push_back(std::move(r));
    }
    return records;
}

std::uint32_t ErrorCodeFor(std::string_view sqlState, long native, bool sqliteCodes) {
    if (sqlState.rfind("23", 0) == 0) return ErrorCode::IntegrityViolation;
    if (sqlState.rfind("42", 0) == 0) return ErrorCode::SyntaxOrAccess;
    if (sqliteCodes && sqlState == "HY000") {
        if ((native & 0xFF) == kSqliteConstraint) return ErrorCode::IntegrityViolation;
        if ((native & 0xFF) == kSqliteError) return ErrorCode::SyntaxOrAccess;
    }
    return ErrorCode::Generic;
}

Error ErrorFrom(const std::vector<DiagRecord>& records, SQLRETURN rc, const ErrorContext& ctx) {
    std::string text;
    for (const auto& r : records) {
        if (r.text.empty()) continue;
        if (!text.empty()) text += '\n';
        text += r.text;
    }
    if (text.empty()) text = "ODBC 调用失败，驱动程序没有给出原因（返回值 " + std::to_string(rc) + "）。";
    if (ctx.secrets) text = ctx.secrets->Scrub(std::move(text));
    // The first record that is not a warning says what went wrong.
    const DiagRecord* primary = nullptr;
    for (const auto& r : records)
        if (!IsWarning(r)) {
            primary = &r;
            break;
        }
    if (!primary) return Error(ErrorCode::Generic, std::move(text), records.empty() ? std::string() : records.front().state);
    const Fault fault = FaultOf(*primary, ctx.sqliteCodes);
    std::uint32_t code = FaultCode(fault, ErrorCodeFor(primary->state, primary->native, ctx.sqliteCodes));
    std::string state = primary->state;
    if (code == ErrorCode::IntegrityViolation && state == "HY000") state = "23000";
    return Error(code, FaultDescription(fault, text), std::move(state));
}

SQLRETURN Check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const ErrorContext& ctx) {
    if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO || rc == SQL_NO_DATA) return rc;
    throw ErrorFrom(ReadDiagnostics(handleType, handle, ctx.wide), rc, ctx);
}

}  // namespace db::odbc
