// The columns of a data source's tables as a driver needs them for translation: which column
// names hold text (for '+' between texts) and the class of each table's column (for max/min/sum of
// a column, whose result has no declared type). Filled by the driver from its catalog.
#pragma once
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "db/DataType.h"

namespace db {

class ColumnCatalog {
public:
    void Clear();
    void Add(std::string_view table, std::string_view column, DataType type);
    bool IsTextColumn(std::string_view column) const;
    // A column of that name exists in some table.
    bool IsKnownColumn(std::string_view column) const;
    // DataType::Empty when the table or column is unknown.
    DataType ClassOf(std::string_view table, std::string_view column) const;

private:
    std::map<std::string, std::map<std::string, DataType>> tables_;
    std::set<std::string> textColumns_;
    std::set<std::string> columns_;
};

}  // namespace db
