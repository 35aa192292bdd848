#include "bench/PickerModelLookup.h"

#include "data/ComponentFactory.h"
#include "host/LookupTableModel.h"
#include "host/QtLookupWindow.h"

namespace bench {
namespace {
int g_lastModelRows = 0;

std::vector<db::Value> RowResult(const db::RowSet& rows, size_t row) {
    std::vector<db::Value> result{db::Value::Int16(1)};
    const auto& values = rows.rows[row];
    result.insert(result.end(), values.begin(), values.end());
    result.resize(rows.fields.size() + 1);
    return result;
}
}  // namespace

int PickerModelLookup::LastModelRows() { return g_lastModelRows; }

void PickerModelLookup::Show() {
    result_ = {db::Value::Int16(0)};
    g_lastModelRows = 0;
    const auto rows = host::FetchLookupRows(connStr_, sql_);
    if (rows->rows.size() == 0) return;
    if (rows->rows.size() > 1) {
        host::LookupTableModel model(rows);
        g_lastModelRows = model.rowCount();
    }
    result_ = RowResult(*rows, 0);
}

void RegisterPickerModelLookup() {
    data::ComponentFactory::Register(data::ComponentName::Lookup, [] { return std::make_unique<PickerModelLookup>(); });
}

}  // namespace bench
