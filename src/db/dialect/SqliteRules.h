// T-SQL -> SQLite: isnull -> ifnull, len -> length, getdate() -> datetime('now','localtime'),
// [name] -> "name", nested block comments flattened, deletes with joins by rowid.
#pragma once

#include "db/dialect/TargetRules.h"

namespace db::dialect {

class SqliteRules final : public TargetRules {
public:
    void RewriteCall(tree::Node& name, tree::Node& args) const override;
    std::string QuoteName(std::string_view name) const override;
    bool EndsCommentAtFirstClose() const override { return true; }
    std::string_view RowIdentity() const override { return "rowid"; }
    bool DeleteTakesAlias() const override { return false; }
};

}  // namespace db::dialect
