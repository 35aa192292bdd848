#include "host/QtLookupWindow.h"

#include <QApplication>
#include <memory>

#include "data/ComponentFactory.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "host/LookupDialog.h"

namespace host {
namespace {

std::vector<db::Value> RowResult(const db::RowSet& rows, size_t row) {
    std::vector<db::Value> result{db::Value::Int16(1)};
    const auto& values = rows.rows[row];
    result.insert(result.end(), values.begin(), values.end());
    result.resize(rows.fields.size() + 1);  // a short row reads as empty columns
    return result;
}

// The lookup's own connection, kept open from one lookup to the next on the same connection
// string: opening a connection reads the database's whole schema again, which costs more than an
// item lookup by code itself.
struct PooledConnection {
    std::string connStr;
    std::unique_ptr<db::Connection> connection;
};

PooledConnection& Pool() {
    static PooledConnection pool;
    return pool;
}

db::Connection& ConnectionFor(const std::string& connStr, bool& reused) {
    PooledConnection& pool = Pool();
    reused = pool.connection && pool.connStr == connStr && pool.connection->IsOpen();
    if (!reused) {
        pool.connection.reset();
        pool.connStr.clear();
        auto fresh = std::make_unique<db::Connection>();  // takes the process's trace hook of now
        fresh->Open(connStr);
        pool.connection = std::move(fresh);
        pool.connStr = connStr;
    }
    return *pool.connection;
}

std::shared_ptr<const db::RowSet> Query(db::Connection& connection, const std::string& sql) {
    db::Recordset rs = connection.OpenRecordset(sql);
    auto rows = rs.Rows();
    rs.Close();
    return rows ? rows : std::make_shared<const db::RowSet>();
}

}  // namespace

std::shared_ptr<const db::RowSet> FetchLookupRows(const std::string& connStr, const std::string& sql) {
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
        ReleaseLookupConnection();
        return Query(ConnectionFor(connStr, reused), sql);
    } catch (const db::Error&) {
        throw;
    } catch (const std::exception& e) {
        throw db::Error(db::ErrorCode::Generic, e.what());
    }
}

void ReleaseLookupConnection() noexcept {
    Pool().connection.reset();
    Pool().connStr.clear();
}

void QtLookupWindow::Show() {
    result_ = {db::Value::Int16(0)};
    const auto rows = FetchLookupRows(connStr_, sql_);
    if (rows->rows.empty()) return;
    if (rows->rows.size() == 1) {
        result_ = RowResult(*rows, 0);
        return;
    }
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        throw db::Error(db::ErrorCode::Generic, "选择窗口需要图形界面");
    LookupDialog dialog(rows, QApplication::activeWindow());
    if (dialog.exec() == QDialog::Accepted && dialog.PickedRow())
        result_ = RowResult(*rows, static_cast<size_t>(*dialog.PickedRow()));
}

void RegisterLookupWindow() {
    data::ComponentFactory::Register(data::ComponentName::Lookup, [] { return std::make_unique<QtLookupWindow>(); });
}

}  // namespace host
