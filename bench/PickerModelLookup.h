// The host's lookup window as the measurements use it: the same fetch as the real one, and for
// several rows the picker's model over them, after which the first row counts as picked (the real
// window would now wait for the operator).
#pragma once

#include "data/LookupWindow.h"

namespace bench {

class PickerModelLookup : public data::LookupWindow {
public:
    void SetMode(std::int16_t) override {}
    void Show() override;
    std::vector<db::Value> Result() const override { return result_; }
    void SetStatement(const std::string& sql) override { sql_ = sql; }
    void SetConnectionString(const std::string& connStr) override { connStr_ = connStr; }

    // Rows shown by the last picker model (0 when no picker was needed).
    static int LastModelRows();

private:
    std::string sql_, connStr_;
    std::vector<db::Value> result_{db::Value::Int16(0)};
};

void RegisterPickerModelLookup();

}  // namespace bench
