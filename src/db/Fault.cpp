#include "db/Fault.h"

#include <sqlite3.h>

#include "db/Error.h"
#include "db/TextUtil.h"

namespace db {

Fault SqliteFault(int resultCode, std::string_view message) {
    switch (resultCode & 0xFF) {
        case SQLITE_BUSY: case SQLITE_LOCKED: return Fault::Busy;
        case SQLITE_READONLY: return Fault::ReadOnly;
        case SQLITE_FULL: return Fault::DiskFull;
        case SQLITE_NOTADB: return Fault::NotADatabase;
        case SQLITE_CORRUPT: return Fault::Corrupt;
        case SQLITE_CANTOPEN: case SQLITE_PERM: return Fault::CannotOpen;
        case SQLITE_IOERR: return Fault::Io;
        case SQLITE_ERROR: return MissingTableName(message).empty() ? Fault::Other : Fault::MissingTable;
        default: return Fault::Other;
    }
}

std::string MissingTableName(std::string_view message) {
    std::string lower = text::Lower(message);
    if (auto p = lower.find("no such table:"); p != std::string::npos) {
        std::string_view rest = message.substr(p + 14);
        while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
        size_t end = rest.find_first_of(" \n\r\t");
        return std::string(rest.substr(0, end));
    }
    if (auto p = lower.find("invalid object name '"); p != std::string::npos) {
        std::string_view rest = message.substr(p + 21);
        return std::string(rest.substr(0, rest.find('\'')));
    }
    if (auto p = lower.find("relation \""); p != std::string::npos) {
        std::string_view rest = message.substr(p + 10);
        const size_t end = rest.find('"');
        if (end != std::string_view::npos && rest.substr(end).starts_with("\" does not exist")) return std::string(rest.substr(0, end));
    }
    return {};
}

std::string FaultDescription(Fault fault, std::string_view driverText) {
    std::string chinese;
    switch (fault) {
        case Fault::Other: return std::string(driverText);
        case Fault::Busy: chinese = "数据库正忙：其他用户正在修改这些数据，等待超时。请稍后再试。"; break;
        case Fault::Deadlock: chinese = "数据库发生死锁：本次操作已被撤销，没有保存任何修改。请重试。"; break;
        case Fault::ReadOnly: chinese = "数据库是只读的，不能保存修改。请检查数据库文件及其目录的写入权限。"; break;
        case Fault::DiskFull: chinese = "磁盘空间已满，不能写入数据库。"; break;
        case Fault::NotADatabase: chinese = "所打开的文件不是数据库。"; break;
        case Fault::Corrupt: chinese = "数据库文件已损坏，请通知系统管理员。"; break;
        case Fault::MissingTable: {
            const std::string table = MissingTableName(driverText);
            chinese = table.empty() ? "数据库中缺少所需的表。" : "数据库中缺少表“" + text::Abbreviate(table, 100) + "”。";
            break;
        }
        case Fault::CannotOpen: chinese = "无法打开数据库文件。"; break;
        case Fault::Io: chinese = "读写数据库文件时出错。"; break;
        case Fault::ConnectionLost:
            chinese = "与数据库服务器的连接已断开，本次操作没有完成，未提交的修改已由服务器撤销。下一次操作时将重新连接。";
            break;
    }
    return driverText.empty() ? chinese : chinese + "\n" + std::string(driverText);
}

bool IsConnectionLoss(std::string_view sqlState) {
    return sqlState.starts_with("08") || sqlState == "57P01" || sqlState == "57P02" || sqlState == "57P03";
}

std::uint32_t FaultCode(Fault fault, std::uint32_t otherwise) {
    return fault == Fault::Busy || fault == Fault::Deadlock ? ErrorCode::Timeout : otherwise;
}

}  // namespace db
