// Where the database builders write their rows: a new SQLite file, or a server database reached
// through a db::Connection. Statements use '?' for the values, numbered from 1.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace schema::detail {

class RowStatement {
public:
    virtual ~RowStatement() = default;
    virtual RowStatement& Bind(int index, std::string_view text) = 0;
    virtual RowStatement& Bind(int index, int value) = 0;
    virtual RowStatement& Bind(int index, double value) = 0;
    virtual RowStatement& BindNull(int index) = 0;
    // Runs the statement, then clears the bindings for the next row.
    virtual void Execute() = 0;
};

class RowSink {
public:
    virtual ~RowSink() = default;
    virtual void Exec(const std::string& sql) = 0;
    virtual std::unique_ptr<RowStatement> PrepareRow(std::string_view sql) = 0;
};

}  // namespace schema::detail
