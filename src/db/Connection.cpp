#include "db/Connection.h"

#include "db/ConnectionString.h"
#include "db/Error.h"
#include "db/Fault.h"
#include "db/Session.h"
#include "db/dialect/TsqlTranslator.h"

namespace db {
namespace {

TraceHook& DefaultTrace() {
    static TraceHook hook;
    return hook;
}

[[noreturn]] void NotOpen() { throw Error(ErrorCode::ClosedObject, "对象关闭时，不允许操作。"); }

// A NUL ends the text for the drivers: what follows would be dropped or, worse, half read. A
// comment without its end is refused by SQL Server; SQLite would run what stands before it.
void RefuseUnreadable(const std::string& sql) {
    if (sql.find('\0') != std::string::npos)
        throw Error(ErrorCode::SyntaxOrAccess, "语句中含有空字符（NUL），不能执行。");
    if (dialect::HasUnterminatedComment(sql))
        throw Error(ErrorCode::SyntaxOrAccess, "语句中的注释缺少结束标记“*/”，不能执行。");
}

}  // namespace

Driver& Session::Get() {
    if (!driver_) NotOpen();
    return *driver_;
}

Connection::Connection() : trace_(DefaultTrace()) {}
Connection::~Connection() = default;
Connection::Connection(Connection&&) noexcept = default;
Connection& Connection::operator=(Connection&&) noexcept = default;

void Connection::SetDefaultTrace(TraceHook hook) { DefaultTrace() = std::move(hook); }

void Connection::SetTrace(TraceHook hook) {
    trace_ = std::move(hook);
    if (session_) session_->SetTrace(trace_);
}

namespace {

std::unique_ptr<Driver> OpenFrom(const std::string& connectionString, int commandTimeout) {
    ConnectionString cs = ConnectionString::Parse(connectionString);
    try {
        auto driver = OpenDriver(cs);
        driver->SetCommandTimeout(commandTimeout);
        return driver;
    } catch (const Error& e) {
        throw Error(e.Code(), cs.Scrub(e.Description()), e.SqlState());
    } catch (const std::exception& e) {  // out of memory, a library's own exception
        throw Error(ErrorCode::ConnectionFailed, "打开数据库连接时出错。\n" + cs.Scrub(e.what()));
    }
}

}  // namespace

void Connection::Open(const std::string& connectionString) {
    if (IsOpen()) throw Error(ErrorCode::Generic, "对象打开时，不允许操作。");
    session_.reset();
    session_ = std::make_shared<Session>(OpenFrom(connectionString, commandTimeout_), trace_);
    connectionString_ = connectionString;
}

template <typename Call>
auto Connection::OnDriver(Call call) {
    if (!IsOpen()) NotOpen();
    if (session_->lost_ && !session_->inTransaction_) {
        try {
            session_->Replace(OpenFrom(connectionString_, commandTimeout_));
        } catch (const Error& e) {
            throw Error(e.Code(), "与数据库服务器的连接已断开，重新连接没有成功，请稍后再试。\n" + e.Description(), "08001");
        }
    }
    try {
        return call(session_->Get());
    } catch (const Error& e) {
        if (IsConnectionLoss(e.SqlState())) session_->lost_ = true;
        throw;
    }
}

void Connection::SetCommandTimeout(int seconds) {
    commandTimeout_ = seconds < 0 ? 0 : seconds;
    if (IsOpen()) session_->Get().SetCommandTimeout(commandTimeout_);
}

int Connection::State() const { return session_ && session_->IsOpen() ? 1 : 0; }

void Connection::Close() noexcept {
    if (session_) session_->Close();
    session_.reset();
    connectionString_.clear();
}

std::string Connection::DriverName() const { return IsOpen() ? session_->Get().Name() : std::string(); }

long long Connection::Execute(const std::string& sql) {
    if (!IsOpen()) NotOpen();
    session_->Trace(sql);
    RefuseUnreadable(sql);
    return OnDriver([&](Driver& d) { return d.Execute(sql); });
}

Recordset Connection::OpenRecordset(const std::string& sql) {
    if (!IsOpen()) NotOpen();
    session_->Trace(sql);
    RefuseUnreadable(sql);
    return OnDriver([&](Driver& d) { return Recordset(session_, sql, d.Query(sql)); });
}

void Connection::BeginTrans() {
    if (!IsOpen()) NotOpen();
    if (session_->inTransaction_) throw Error(ErrorCode::Generic, "事务已经开始，不能再次开始。");
    OnDriver([](Driver& d) { d.Begin(); });
    session_->inTransaction_ = true;
}

void Connection::CommitTrans() {
    if (!IsOpen()) NotOpen();
    if (!session_->inTransaction_) throw Error(ErrorCode::Generic, "没有活动的事务。");
    OnDriver([](Driver& d) { d.Commit(); });
    session_->inTransaction_ = false;
}

void Connection::RollbackTrans() {
    if (!IsOpen()) NotOpen();
    if (!session_->inTransaction_) throw Error(ErrorCode::Generic, "没有活动的事务。");
    session_->inTransaction_ = false;
    // The server rolled back the transaction of a lost connection already.
    if (session_->lost_) return;
    OnDriver([](Driver& d) { d.Rollback(); });
}

bool Connection::InTransaction() const { return IsOpen() && session_->inTransaction_; }

}  // namespace db
