#include "db/dialect/PostgresRules.h"

#include <optional>
#include <utility>

namespace db::dialect {

using namespace tree;

namespace {

// A group dropped from the text: a blank in its place.
void Erase(Node& n)
{
    n = Leaf(TokenKind::Whitespace, " ");
}

bool IsMax(const Node& group)
{
    const SeqView v(group.kids);
    return group.group && v.size() == 1 && IsWord(v.at(0), "max");
}

// The type word of a cast, and the (length) group after it if any, in PostgreSQL's terms.
void MapType(Node& type, Node* length)
{
    std::string& t = type.tok.text;
    const std::string lower = ToLower(t);
    auto dropLength = [&] {
        if (length) Erase(*length);
    };
    if (lower == "datetime" || lower == "smalldatetime" || lower == "datetime2") {
        t = "timestamp";
        dropLength();
    } else if (lower == "nvarchar" || lower == "varchar") {
        if (length && IsMax(*length)) {
            t = "text";
            dropLength();
        } else {
            t = "varchar";
        }
    } else if (lower == "nchar") {
        t = "char";
    } else if (lower == "ntext") {
        t = "text";
    } else if (lower == "tinyint" || lower == "bit") {
        t = "smallint";
    } else if (lower == "money" || lower == "smallmoney") {
        t = "numeric(19,4)";
    } else if (lower == "uniqueidentifier") {
        t = "uuid";
    } else if (lower == "image" || lower == "varbinary" || lower == "binary") {
        t = "bytea";
        dropLength();
    }
}

bool IsCharType(std::string_view type)
{
    return IEquals(type, "varchar") || IEquals(type, "nvarchar") || IEquals(type, "char") || IEquals(type, "nchar");
}

// to_char formats of the convert styles that write a date the ISO way.
std::optional<std::string_view> DateFormat(std::string_view style)
{
    static constexpr std::pair<std::string_view, std::string_view> kStyles[] = {
        {"23", "'YYYY-MM-DD'"},   {"102", "'YYYY.MM.DD'"},          {"108", "'HH24:MI:SS'"},
        {"111", "'YYYY/MM/DD'"},  {"112", "'YYYYMMDD'"},            {"120", "'YYYY-MM-DD HH24:MI:SS'"},
        {"121", "'YYYY-MM-DD HH24:MI:SS.MS'"},
    };
    for (const auto& [s, format] : kStyles)
        if (s == style) return format;
    return std::nullopt;
}

void RewriteCast(Node& args)
{
    const SeqView v(args.kids);
    for (size_t p = v.size(); p-- > 1;) {
        if (!IsWord(v.at(p - 1), "as") || !IsWord(v.at(p))) continue;
        Node* length = p + 1 < v.size() && v.at(p + 1).group ? &args.kids[v.index(p + 1)] : nullptr;
        MapType(args.kids[v.index(p)], length);
        return;
    }
}

// convert(T, x [, style]) -> cast(x as T), or cast(to_char(x, format) as T) for a date style.
void RewriteConvert(Node& name, Node& args)
{
    std::vector<Seq> parts(1);
    for (Node& k : args.kids) {
        if (IsOp(k, ",")) {
            parts.emplace_back();
            continue;
        }
        parts.back().push_back(std::move(k));
    }
    auto restore = [&] {
        args.kids.clear();
        for (size_t i = 0; i < parts.size(); ++i) {
            if (i > 0) args.kids.push_back(Leaf(TokenKind::Operator, ","));
            for (Node& k : parts[i]) args.kids.push_back(std::move(k));
        }
    };
    const SeqView type(parts[0]);
    const bool typeOk = type.size() >= 1 && type.size() <= 2 && IsWord(type.at(0)) &&
                        (type.size() == 1 || type.at(1).group);
    if (parts.size() < 2 || parts.size() > 3 || !typeOk || SeqView(parts[1]).size() == 0) {
        restore();
        return;
    }
    std::optional<std::string_view> format;
    if (parts.size() == 3) {
        const SeqView style(parts[2]);
        if (style.size() != 1 || !IsKind(style.at(0), TokenKind::Number)) {
            restore();
            return;
        }
        if (IsCharType(type.at(0).tok.text)) format = DateFormat(style.at(0).tok.text);
    }
    while (!parts[1].empty() && IsTrivia(parts[1].front())) parts[1].erase(parts[1].begin());
    Node typeWord = type.at(0);
    std::optional<Node> length;
    if (type.size() == 2) length = type.at(1);
    MapType(typeWord, length ? &*length : nullptr);

    Seq kids;
    if (format) {
        Node call = Leaf(TokenKind::OpenParen, "(");
        call.group = call.closed = true;
        call.kids = std::move(parts[1]);
        call.kids.push_back(Leaf(TokenKind::Operator, ","));
        call.kids.push_back(Leaf(TokenKind::String, std::string(*format)));
        kids.push_back(Leaf(TokenKind::Word, "to_char"));
        kids.push_back(std::move(call));
    } else {
        kids = std::move(parts[1]);
    }
    kids.push_back(Leaf(TokenKind::Whitespace, " "));
    kids.push_back(Leaf(TokenKind::Word, "as"));
    kids.push_back(Leaf(TokenKind::Whitespace, " "));
    kids.push_back(std::move(typeWord));
    if (length) kids.push_back(std::move(*length));
    args.kids = std::move(kids);
    name.tok.text = "cast";
}

}  // namespace

void PostgresRules::RewriteCall(Node& name, Node& args) const
{
    std::string& text = name.tok.text;
    if (IEquals(text, "isnull")) {
        text = "coalesce";
    } else if (IEquals(text, "len")) {
        text = "length";
        Node inner = std::move(args);
        args = Leaf(TokenKind::OpenParen, "(");
        args.group = args.closed = true;
        args.kids.push_back(Leaf(TokenKind::Word, "rtrim"));
        args.kids.push_back(std::move(inner));
    } else if (IEquals(text, "getdate") && SeqView(args.kids).size() == 0 && args.closed) {
        text = "localtimestamp";
        Erase(args);
    } else if (IEquals(text, "cast")) {
        RewriteCast(args);
    } else if (IEquals(text, "convert") && args.closed) {
        RewriteConvert(name, args);
    }
}

std::string PostgresRules::QuoteName(std::string_view name) const
{
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += Lower(c);
    }
    out += '"';
    return out;
}

}  // namespace db::dialect
