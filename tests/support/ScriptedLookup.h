// A stand-in for the host's lookup window in tests: runs the statement it is given on the host
// connection and "picks" the row a chooser names, as an operator would in the real window.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "data/LookupWindow.h"
#include "db/Recordset.h"

namespace testing_support {

class ScriptedLookup : public data::LookupWindow {
public:
    // The row to pick (0-based) of the statement's result; -1 picks none (the window cancelled).
    using Chooser = std::function<long(const std::string& statement, const db::Recordset& rows)>;

    // The first row when there is one.
    static long FirstRow(const std::string&, const db::Recordset& rows) { return rows.RecordCount() > 0 ? 0 : -1; }

    explicit ScriptedLookup(Chooser choose = FirstRow) : choose_(std::move(choose)) {}

    void SetMode(std::int16_t) override {}
    void SetStatement(const std::string& sql) override { sql_ = sql; }
    void SetConnectionString(const std::string&) override {}
    std::vector<db::Value> Result() const override { return result_; }
    void Show() override;

private:
    Chooser choose_;
    std::string sql_;
    std::vector<db::Value> result_;
};

}  // namespace testing_support
