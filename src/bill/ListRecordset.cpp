#include "bill/ListRecordset.h"

#include <memory>

namespace bill {

db::Recordset ListRecordset(const std::vector<std::string>& headings, std::vector<std::vector<db::Value>> rows) {
    auto set = std::make_shared<db::RowSet>();
    for (const auto& h : headings) set->fields.push_back({h, db::DataType::VarWChar});
    for (auto& row : rows) row.resize(headings.size());
    set->rows = std::move(rows);
    return db::Recordset(nullptr, "", std::move(set));
}

}  // namespace bill
