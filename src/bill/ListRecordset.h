// A recordset over rows the window computed itself (previews, verdicts, figures), so that a grid
// can show them like the rows of a query. It is not attached to any connection.
#pragma once
#include <string>
#include <vector>

#include "db/Recordset.h"

namespace bill {

db::Recordset ListRecordset(const std::vector<std::string>& headings, std::vector<std::vector<db::Value>> rows);

}  // namespace bill
