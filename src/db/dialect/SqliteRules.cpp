#include "db/dialect/SqliteRules.h"

namespace db::dialect {

using namespace tree;

void SqliteRules::RewriteCall(Node& name, Node& args) const
{
    std::string& text = name.tok.text;
    if (IEquals(text, "isnull")) {
        text = "ifnull";
    } else if (IEquals(text, "len")) {
        text = "length";
    } else if (IEquals(text, "getdate") && SeqView(args.kids).size() == 0) {
        text = "datetime";
        args.kids = {Leaf(TokenKind::String, "'now'"), Leaf(TokenKind::Operator, ","),
                     Leaf(TokenKind::String, "'localtime'")};
    }
}

// Case is kept: SQLite compares names without regard to case anyway.
std::string SqliteRules::QuoteName(std::string_view name) const
{
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

}  // namespace db::dialect
