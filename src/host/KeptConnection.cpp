#include "host/KeptConnection.h"

#include <algorithm>

#include "db/Connection.h"
#include "db/Error.h"

namespace host {
namespace {

struct Kept {
    std::string connStr;
    std::unique_ptr<db::Connection> connection;
};

Kept& TheKept() {
    static Kept kept;
    return kept;
}

db::Connection& ConnectionFor(const std::string& connStr, bool& reused) {
    Kept& kept = TheKept();
    reused = kept.connection && kept.connStr == connStr && kept.connection->IsOpen();
    if (!reused) {
        ReleaseKeptConnection();
        auto fresh = std::make_unique<db::Connection>();  // takes the process's trace hook of now
        fresh->Open(connStr);
        kept.connection = std::move(fresh);
        kept.connStr = connStr;
    }
    return *kept.connection;
}

std::shared_ptr<const db::RowSet> Query(db::Connection& connection, const std::string& sql) {
    db::Recordset rs = connection.OpenRecordset(sql);
    auto rows = rs.Rows();
    rs.Close();
    return rows ? rows : std::make_shared<const db::RowSet>();
}

}  // namespace

std::shared_ptr<const db::RowSet> QueryOnKeptConnection(const std::string& connStr, const std::string& sql) {
    try {
        bool reused = false;
        db::Connection& connection = ConnectionFor(connStr, reused);
        try {
            return Query(connection, sql);
        } catch (const db::Error&) {
            if (!reused) throw;
        }
        // The kept connection may have been lost meanwhile (a server that dropped it): once more
        // on a new one.
        ReleaseKeptConnection();
        return Query(ConnectionFor(connStr, reused), sql);
    } catch (const db::Error&) {
        throw;
    } catch (const std::exception& e) {
        throw db::Error(db::ErrorCode::Generic, e.what());
    }
}

void ReleaseKeptConnection() noexcept {
    TheKept().connection.reset();
    TheKept().connStr.clear();
}

int PriceDecimalsOn(const std::string& connStr) noexcept {
    try {
        const auto rows = QueryOnKeptConnection(connStr, "select jjbl from sys_var");
        if (!rows->rows.empty() && !rows->rows[0].empty() && rows->rows[0][0].IsNumeric())
            return std::clamp(static_cast<int>(rows->rows[0][0].ToDouble()), 0, 6);
    } catch (...) {
    }
    return 2;
}

}  // namespace host
