#include "db/Driver.h"

#include <algorithm>
#include <cctype>

#include "db/ConnectionString.h"
#include "db/Error.h"
#include "db/TextUtil.h"
#include "db/sqlite/OfdLockingVfs.h"
#include "db/sqlite/SqliteDriver.h"

namespace db {

#ifdef SPB_HAVE_ODBC
std::unique_ptr<Driver> OpenOdbcDriver(const ConnectionString& cs);
#endif

namespace {

using text::Lower;
}  // namespace

std::unique_ptr<Driver> OpenDriver(const ConnectionString& cs) {
    // Before any SQLite file is opened, by the embedded driver or an ODBC driver built on SQLite:
    // locks that a close() elsewhere in the process cannot drop.
    sqlite::OfdLockingVfs();
    std::string provider = Lower(cs.Get("Provider").value_or(""));
    if (provider.rfind("sqlite", 0) == 0) return sqlite::OpenSqliteDriver(cs);
    bool odbc = cs.Has("Driver") || cs.Has("DSN") || provider.rfind("sqloledb", 0) == 0 ||
                provider.rfind("sqlncli", 0) == 0 || provider.rfind("msoledbsql", 0) == 0 || provider == "msdasql";
    if (odbc) {
#ifdef SPB_HAVE_ODBC
        return OpenOdbcDriver(cs);
#else
        throw Error(ErrorCode::ConnectionFailed, "本程序未包含 ODBC 数据库驱动，无法打开连接：" + cs.Redacted());
#endif
    }
    if (provider.empty())
        throw Error(ErrorCode::ConnectionFailed, "连接字符串未指定数据库提供程序（Provider、Driver 或 DSN）：" + cs.Redacted());
    throw Error(ErrorCode::ConnectionFailed, "未找到提供程序“" + cs.Get("Provider").value_or("") + "”。");
}

}  // namespace db
