#include "db/ColumnCatalog.h"

#include "db/TextUtil.h"
#include "db/TypeClass.h"

namespace db {

using text::Lower;

void ColumnCatalog::Clear() {
    tables_.clear();
    textColumns_.clear();
    columns_.clear();
}

void ColumnCatalog::Add(std::string_view table, std::string_view column, DataType type) {
    tables_[Lower(table)][Lower(column)] = type;
    if (IsTextClass(type)) textColumns_.insert(Lower(column));
    columns_.insert(Lower(column));
}

bool ColumnCatalog::IsKnownColumn(std::string_view column) const { return columns_.count(Lower(column)) > 0; }

bool ColumnCatalog::IsTextColumn(std::string_view column) const { return textColumns_.count(Lower(column)) > 0; }

DataType ColumnCatalog::ClassOf(std::string_view table, std::string_view column) const {
    auto t = tables_.find(Lower(table));
    if (t == tables_.end()) return DataType::Empty;
    auto c = t->second.find(Lower(column));
    return c == t->second.end() ? DataType::Empty : c->second;
}

}  // namespace db
