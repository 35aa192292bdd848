// Rewrites the T-SQL statements the library sends into SQLite's dialect, and reads type hints off
// the select list of a query. Text that needs no rewriting is reproduced byte for byte.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace db::dialect {

// Answers whether a column (optionally qualified by a table or alias name) holds text; used to turn
// T-SQL's '+' between texts into SQLite's '||'. May be empty.
using TextColumnOracle = std::function<bool(std::string_view qualifier, std::string_view column)>;

class TsqlTranslator {
public:
    explicit TsqlTranslator(TextColumnOracle isTextColumn = {});

    // Never throws; returns the input unchanged where it does not understand it.
    std::string ToSqlite(std::string_view tsql) const;

private:
    TextColumnOracle isTextColumn_;
};

// Type hint for one top-level select-list item of the outermost SELECT, for columns that are
// expressions.
struct ColumnHint {
    std::string typeName;  // e.g. "int" for count(...), the target type of cast(x as T); empty if unknown
    std::string table;     // for max/min/sum/avg of a plain column reference: the real table name
    std::string column;    // ... and the column name

    bool operator==(const ColumnHint&) const = default;
};

// One entry per select item of the outermost SELECT; empty when there is none. Never throws.
std::vector<ColumnHint> SelectListHints(std::string_view sql);

}  // namespace db::dialect
