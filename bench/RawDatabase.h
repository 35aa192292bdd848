// The hand-written side of each measurement: the same SQLite file through the sqlite3 C API alone,
// with nothing between the program and the library. Reading a statement steps through every row,
// takes every column's value in its own storage class and keeps it, all values of the result one
// after another in one buffer: the least a program must do to have the rows to show.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace bench {

class RawStatement {
public:
    RawStatement(sqlite3* db, std::string_view sql);
    RawStatement& Bind(int index, std::string_view text);
    RawStatement& Bind(int index, double value);
    // Steps to the end, reads and keeps every column of every row; returns the row count.
    long Read();
    // Steps to the end without reading; returns the rows changed.
    long Run();
    sqlite3_stmt* Get() const { return st_.get(); }

private:
    struct Finalizer {
        void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
    };
    sqlite3* db_;
    std::unique_ptr<sqlite3_stmt, Finalizer> st_;
};

class RawDatabase {
public:
    explicit RawDatabase(const std::string& path);
    sqlite3* Get() const { return db_.get(); }

    // Prepares, steps, reads and keeps every column of every row; returns the row count.
    long Read(std::string_view sql);
    void Exec(const std::string& sql);
    // The first column of every row as text.
    std::vector<std::string> Column(std::string_view sql);
    std::string Scalar(std::string_view sql);

private:
    struct Closer {
        void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
    };
    std::unique_ptr<sqlite3, Closer> db_;
};

// Keeps values read by the raw side alive so that the compiler cannot drop the reads.
void Consume(long long value);

}  // namespace bench
