// The fetched result of one query: field descriptions and all rows. Shared, immutable once built;
// recordsets and their clones point at the same RowSet.
#pragma once
#include <string>
#include <vector>

#include "db/DataType.h"
#include "db/Value.h"

namespace db {

struct FieldInfo {
    std::string name;
    DataType type = DataType::Variant;
};

struct RowSet {
    std::vector<FieldInfo> fields;
    std::vector<std::vector<Value>> rows;
};

}  // namespace db
