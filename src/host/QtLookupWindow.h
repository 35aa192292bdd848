// The host's lookup window: runs a SELECT statement on a connection of its own and returns the
// row the operator picks. No row gives {0} at once, one row gives that row without a window,
// several rows open the picker. The result is always an array whose element 0 is 0 (nothing
// picked) or 1 (elements 1..n the picked row's columns as fetched).
#pragma once
#include <memory>

#include "data/LookupWindow.h"
#include "db/RowSet.h"

namespace host {

class QtLookupWindow : public data::LookupWindow {
public:
    void SetMode(std::int16_t mode) override { mode_ = mode; }
    // Throws db::Error when the connection or the statement fails (Result() is then {0}).
    void Show() override;
    std::vector<db::Value> Result() const override { return result_; }
    void SetStatement(const std::string& sql) override { sql_ = sql; }
    void SetConnectionString(const std::string& connStr) override { connStr_ = connStr; }

    std::int16_t Mode() const { return mode_; }

private:
    std::int16_t mode_ = 0;
    std::string sql_, connStr_;
    std::vector<db::Value> result_{db::Value::Int16(0)};
};

// Runs the statement on a connection of the host's components, opened from the connection string
// and kept for the next use (KeptConnection.h), and returns every row. Throws db::Error when the
// connection or the statement fails.
std::shared_ptr<const db::RowSet> FetchLookupRows(const std::string& connStr, const std::string& sql);

// Registers the component with the factory under its name.
void RegisterLookupWindow();

}  // namespace host
