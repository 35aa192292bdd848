// The common database faults an operator can meet, told in Chinese before the driver's own text:
// a locked or busy database, a read-only one, a full disk, a file that is no database, a corrupt
// one, a missing table. Each driver sorts its errors into these.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace db {

enum class Fault { Other, Busy, Deadlock, ReadOnly, DiskFull, NotADatabase, Corrupt, MissingTable, CannotOpen, Io, ConnectionLost };

// The fault of a SQLite result code (extended or primary) and its message.
Fault SqliteFault(int resultCode, std::string_view message);
// The name of the missing table in a driver's message ("no such table: X", "Invalid object name
// 'X'", "relation "X" does not exist"); empty when it names none.
std::string MissingTableName(std::string_view message);

// Whether a SQLSTATE says the server or the network took the connection away: ODBC's class 08
// (communication link failure, connection does not exist), and a server shutting down or
// restarting under its sessions (PostgreSQL's 57P01-57P03). The server rolled back whatever
// transaction was open.
bool IsConnectionLoss(std::string_view sqlState);

// The operator's message: the Chinese text of the fault, then the driver's own text on a line of
// its own. For Fault::Other the driver's text alone.
std::string FaultDescription(Fault fault, std::string_view driverText);

// The error code a fault is reported with; `otherwise` for faults without one of their own.
std::uint32_t FaultCode(Fault fault, std::uint32_t otherwise);

}  // namespace db
