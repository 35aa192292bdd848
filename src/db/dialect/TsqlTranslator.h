// Rewrites the T-SQL statements the library sends into SQLite's or PostgreSQL's dialect (the
// differences in SqliteRules and PostgresRules), and reads type hints off
// the select list of a query. Text that needs no rewriting is reproduced byte for byte.
#pragma once

#include "db/dialect/TargetRules.h"

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
    // isKnownColumn answers whether the column exists at all: a known column that is not text is a
    // number or a date, and T-SQL converts a text added to it to that type, so the '+' stays an
    // addition. A column neither oracle knows is guessed from the other operand.
    explicit TsqlTranslator(TextColumnOracle isTextColumn = {}, TextColumnOracle isKnownColumn = {});

    // Never throws; returns the input unchanged where it does not understand it.
    std::string Translate(std::string_view tsql, Target target) const;
    std::string ToSqlite(std::string_view tsql) const;
    std::string ToPostgres(std::string_view tsql) const;

private:
    TextColumnOracle isTextColumn_;
    TextColumnOracle isKnownColumn_;
};

// Whether the text ends inside a block comment. SQL Server refuses such a statement ("Missing end
// comment mark"); SQLite would run what stands before it.
bool HasUnterminatedComment(std::string_view tsql);

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
