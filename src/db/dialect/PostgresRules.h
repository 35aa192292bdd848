// T-SQL -> PostgreSQL:
//   isnull(a,b) -> coalesce(a,b); len(x) -> length(rtrim(x)) (LEN ignores trailing blanks);
//   getdate() -> localtimestamp (the server's local time, without a time zone, as SQL Server's);
//   cast(x as T) -> T mapped to PostgreSQL's types (datetime -> timestamp, nvarchar -> varchar,
//   tinyint and bit -> smallint, money -> numeric(19,4), varchar(max) -> text, ...);
//   convert(T, x) -> cast(x as T); convert(char type, date, style) -> cast(to_char(date, format) as T)
//   for the ISO-like styles 23, 102, 108, 111, 112, 120, 121 (other styles: a plain cast);
//   [Name] -> "name": names without quotes fold to lower case in PostgreSQL, and the tables and
//   columns are created without quotes, so a bracketed name must be the lower-case one;
//   DELETE a FROM t a LEFT JOIN u b ON .. WHERE b.k IS NULL -> DELETE FROM t a WHERE NOT EXISTS (..),
//   other deletes with a join by ctid. Block comments nest in PostgreSQL as in SQL Server.
// Comparisons of codes without regard to case come from the schema (text columns are citext),
// not from the statements: =, <>, LIKE, IN and ORDER BY on citext ignore case as SQL Server's
// default collation does. LIKE on citext ignores case too (it behaves as ILIKE).
#pragma once

#include "db/dialect/TargetRules.h"

namespace db::dialect {

class PostgresRules final : public TargetRules {
public:
    void RewriteCall(tree::Node& name, tree::Node& args) const override;
    std::string QuoteName(std::string_view name) const override;
    bool EndsCommentAtFirstClose() const override { return false; }
    std::string_view RowIdentity() const override { return "ctid"; }
    bool DeleteTakesAlias() const override { return true; }
};

}  // namespace db::dialect
