// A database connection opened from a connection string (state 0 closed, 1 open): statements
// without result, transactions, recordsets, and a trace hook that sees every statement text the
// moment it is sent. The driver is chosen by the connection string: "Provider=SQLite;Data
// Source=FILE" opens the embedded database, "Driver=..." / "DSN=..." and the SQL Server provider
// form go to ODBC.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "db/Recordset.h"

namespace db {

using TraceHook = std::function<void(const std::string& statement)>;

class Connection {
public:
    Connection();
    ~Connection();
    Connection(Connection&&) noexcept;
    Connection& operator=(Connection&&) noexcept;

    // Throws db::Error; the connection stays closed on failure.
    void Open(const std::string& connectionString);
    int State() const;
    bool IsOpen() const { return State() == 1; }
    void Close() noexcept;
    std::string DriverName() const;

    // A connection the server or the network took away (a restart, a killed session) fails the
    // statement and the rest of its transaction with Fault::ConnectionLost's message; the server
    // has rolled that transaction back. The next statement outside a transaction opens the
    // connection again from the same string.
    long long Execute(const std::string& sql);
    Recordset OpenRecordset(const std::string& sql);
    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    bool InTransaction() const;

    // Seconds a statement waits for another session's locks before it fails with a "busy"
    // error: the busy time-out on SQLite, the statement time-out on ODBC. 0 (the default): 10 s on
    // SQLite (or the string's "Busy Timeout" in milliseconds), 30 s on ODBC. Takes effect at once
    // and for the next Open.
    void SetCommandTimeout(int seconds);
    int CommandTimeout() const { return commandTimeout_; }

    void SetTrace(TraceHook hook);
    // Hook given to every connection opened afterwards in this process (tests use it to see the
    // statements of connections that the library opens for itself).
    static void SetDefaultTrace(TraceHook hook);

private:
    // Runs a driver call, first reopening a lost connection when no transaction is open, and
    // notes a loss the call meets.
    template <typename Call>
    auto OnDriver(Call call);

    std::shared_ptr<Session> session_;
    std::string connectionString_;
    TraceHook trace_;
    int commandTimeout_ = 0;
};

// A transaction that rolls back on destruction unless committed. Never throws from its destructor.
class TransactionGuard {
public:
    explicit TransactionGuard(Connection& c) : c_(c) { c_.BeginTrans(); }
    ~TransactionGuard() {
        if (!done_) try { c_.RollbackTrans(); } catch (...) {}
    }
    void Commit() { c_.CommitTrans(); done_ = true; }
    TransactionGuard(const TransactionGuard&) = delete;
    TransactionGuard& operator=(const TransactionGuard&) = delete;

private:
    Connection& c_;
    bool done_ = false;
};

}  // namespace db
