// What differs between the dialects the T-SQL statements are translated into. The translator walks
// the statement (tokens, parentheses, clauses) the same way for every target and asks the target's
// rules how to spell what SQL Server's dialect says: function calls, bracketed names, nested
// comments, and the deletes with a join. The rules of each target live in a file of their own
// (SqliteRules, PostgresRules); '+' between texts becomes '||' and TOP n becomes LIMIT n on both.
#pragma once

#include "db/dialect/SqlTree.h"

#include <string>
#include <string_view>

namespace db::dialect {

enum class Target { Sqlite, Postgres };

class TargetRules {
public:
    virtual ~TargetRules() = default;

    // A call name(args) of a function the statement does not qualify with a schema: renames the
    // function or rewrites the call in place. `args` is the parenthesised group after the name;
    // it may become a blank when the target's form takes no parentheses.
    virtual void RewriteCall(tree::Node& name, tree::Node& args) const = 0;

    // The target's spelling of a [bracketed] name (given unquoted): a quoted identifier.
    virtual std::string QuoteName(std::string_view name) const = 0;

    // Whether the target ends a block comment at its first "*/" (SQL Server nests them).
    virtual bool EndsCommentAtFirstClose() const = 0;

    // The hidden column that identifies a row, for DELETE a FROM t a JOIN ...
    virtual std::string_view RowIdentity() const = 0;

    // Whether DELETE FROM may give its table an alias, so that an anti-join delete becomes
    // DELETE FROM t a WHERE NOT EXISTS (...) directly rather than a delete by row identity.
    virtual bool DeleteTakesAlias() const = 0;
};

const TargetRules& RulesFor(Target target);

}  // namespace db::dialect
