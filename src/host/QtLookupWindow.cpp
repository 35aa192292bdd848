#include "host/QtLookupWindow.h"

#include <QApplication>
#include <memory>

#include "data/ComponentFactory.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "host/KeptConnection.h"
#include "host/LookupDialog.h"

namespace host {
namespace {

std::vector<db::Value> RowResult(const db::RowSet& rows, size_t row) {
    std::vector<db::Value> result{db::Value::Int16(1)};
    const auto& values = rows.rows[row];
    result.insert(result.end(), values.begin(), values.end());
    result.resize(rows.fields.size() + 1);  // a short row reads as empty columns
    return result;
}

}  // namespace

std::shared_ptr<const db::RowSet> FetchLookupRows(const std::string& connStr, const std::string& sql) {
    return QueryOnKeptConnection(connStr, sql);
}

void QtLookupWindow::Show() {
    result_ = {db::Value::Int16(0)};
    const auto rows = FetchLookupRows(connStr_, sql_);
    if (rows->rows.empty()) return;
    if (rows->rows.size() == 1) {
        result_ = RowResult(*rows, 0);
        return;
    }
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        throw db::Error(db::ErrorCode::Generic, "选择窗口需要图形界面");
    LookupDialog dialog(rows, QApplication::activeWindow(), PriceDecimalsOn(connStr_));
    if (dialog.exec() == QDialog::Accepted && dialog.PickedRow())
        result_ = RowResult(*rows, static_cast<size_t>(*dialog.PickedRow()));
}

void RegisterLookupWindow() {
    data::ComponentFactory::Register(data::ComponentName::Lookup, [] { return std::make_unique<QtLookupWindow>(); });
}

}  // namespace host
