// The hand-written side of each measurement: the same database through its own client library
// alone, with nothing between the program and the library: the sqlite3 C API on a file, or libpq
// on a PostgreSQL server (and there, for a third side, the system's ODBC driver). The statements are written once, in SQL both understand, with '?' for
// parameters (libpq gets them as $1, $2, ...). Reading a statement steps through every row, takes
// every column's value and keeps it, all values of the result one after another in one buffer:
// the least a program must do to have the rows to show.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace bench {

// One statement of a raw connection: parameters, then either its rows read and kept (Read), its
// changes counted (Run), or its rows stepped through one by one (Step and the column getters).
// After Read or Run, or once Step has passed the last row, it can be bound and run again.
class RawCursor {
public:
    virtual ~RawCursor() = default;
    virtual void Bind(int index, std::string_view text) = 0;
    virtual void Bind(int index, double value) = 0;
    virtual long Read() = 0;
    virtual long Run() = 0;
    virtual bool Step() = 0;
    virtual bool IsNull(int column) const = 0;
    // Empty for NULL.
    virtual std::string_view Text(int column) const = 0;
    virtual double Double(int column) const = 0;
    virtual long long Int(int column) const = 0;
    virtual int Columns() const = 0;
};

class RawDatabase {
public:
    virtual ~RawDatabase() = default;
    // A SQLite file, opened with the system's driver settings.
    static std::unique_ptr<RawDatabase> OpenSqlite(const std::string& path);
    // A PostgreSQL database, named by the system's ODBC connection string (its Server, Port,
    // Database, Uid and Pwd).
    static std::unique_ptr<RawDatabase> OpenPostgres(const std::string& odbcConnectionString);
    // The same database through the ODBC driver that the connection string names.
    static std::unique_ptr<RawDatabase> OpenOdbc(const std::string& connectionString);

    virtual std::unique_ptr<RawCursor> Prepare(std::string_view sql) = 0;
    // Runs one or more statements without parameters or rows.
    virtual void Exec(const std::string& sql) = 0;
    // A write transaction: on SQLite it takes the write lock at once, as the system's driver does.
    virtual void Begin() = 0;
    virtual void Commit() { Exec("COMMIT"); }
    // Called before every measured run: on SQLite the write-ahead log is folded in and emptied,
    // so that neither side pays for what the other wrote.
    virtual void Settle() {}

    // Prepares, steps, reads and keeps every column of every row; returns the row count.
    long Read(std::string_view sql);
    // The first column of every row as text.
    std::vector<std::string> Column(std::string_view sql);
    std::string Scalar(std::string_view sql);
};

// A statement with its parameters, written the way the measurements read:
//   RawStatement(db, "SELECT ... WHERE lsh=?").Bind(1, lsh).Read();
class RawStatement {
public:
    RawStatement(RawDatabase& db, std::string_view sql) : cursor_(db.Prepare(sql)) {}
    RawStatement& Bind(int index, std::string_view text) { return cursor_->Bind(index, text), *this; }
    RawStatement& Bind(int index, const std::string& text) { return Bind(index, std::string_view(text)); }
    RawStatement& Bind(int index, const char* text) { return Bind(index, std::string_view(text)); }
    RawStatement& Bind(int index, double value) { return cursor_->Bind(index, value), *this; }
    long Read() { return cursor_->Read(); }
    long Run() { return cursor_->Run(); }
    bool Step() { return cursor_->Step(); }
    bool IsNull(int column) const { return cursor_->IsNull(column); }
    std::string_view Text(int column) const { return cursor_->Text(column); }
    double Double(int column) const { return cursor_->Double(column); }
    long long Int(int column) const { return cursor_->Int(column); }
    int Columns() const { return cursor_->Columns(); }

private:
    std::unique_ptr<RawCursor> cursor_;
};

// The statement with each '?' outside quotes numbered $1, $2, ... (libpq's parameters), and their
// count.
std::string NumberedParameters(std::string_view sql, int& count);

// Keeps values read by the raw side alive so that the compiler cannot drop the reads.
void Consume(long long value);

}  // namespace bench
