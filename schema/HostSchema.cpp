#include "schema/HostSchema.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace schema {

namespace {

constexpr std::string_view kSqliteOnly = "{sqlite-only}";

std::string TextType(SchemaTarget target, std::string_view length)
{
    if (target == SchemaTarget::PostgreSql) return "citext";
    return (length.empty() ? std::string("text") : "varchar(" + std::string(length) + ")") + " COLLATE NOCASE";
}

std::string Placeholder(SchemaTarget target, std::string_view name)
{
    const bool pg = target == SchemaTarget::PostgreSql;
    if (name == "text") return TextType(target, {});
    if (name.starts_with("text(") && name.ends_with(")")) return TextType(target, name.substr(5, name.size() - 6));
    if (name == "money") return "numeric(18,4)";
    if (name == "datetime") return pg ? "timestamp" : "datetime";
    if (name == "bit") return pg ? "smallint" : "bit";
    if (name == "ifnull") return pg ? "coalesce" : "ifnull";
    throw std::logic_error("host_schema.sql: unknown placeholder {" + std::string(name) + "}");
}

}  // namespace

std::string HostSchemaSql(SchemaTarget target)
{
    const std::string_view in = HostSchemaTemplate();
    std::string out;
    out.reserve(in.size());
    for (size_t pos = 0; pos < in.size();) {
        // Comments are copied as they are: they may name the placeholders.
        if (pos == 0 || in[pos - 1] == '\n') {
            const size_t first = in.find_first_not_of(" \t", pos);
            if (first != std::string_view::npos && in.substr(first).starts_with("--")) {
                const size_t end = std::min(in.find('\n', first), in.size() - 1);
                out += in.substr(pos, end + 1 - pos);
                pos = end + 1;
                continue;
            }
        }
        if (in.substr(pos).starts_with(kSqliteOnly)) {
            pos += kSqliteOnly.size();
            if (target != SchemaTarget::Sqlite) {
                const size_t end = in.find(";\n", pos);
                pos = end == std::string_view::npos ? in.size() : end + 2;
            }
            continue;
        }
        if (in[pos] == '{') {
            const size_t close = in.find('}', pos);
            if (close == std::string_view::npos) throw std::logic_error("host_schema.sql: unclosed placeholder");
            out += Placeholder(target, in.substr(pos + 1, close - pos - 1));
            pos = close + 1;
            continue;
        }
        out += in[pos++];
    }
    return out;
}

std::vector<std::string> HostSchemaStatements(SchemaTarget target)
{
    std::vector<std::string> statements;
    if (target == SchemaTarget::PostgreSql) statements.emplace_back("CREATE EXTENSION IF NOT EXISTS citext");
    std::string current;
    const std::string sql = HostSchemaSql(target);
    for (size_t pos = 0; pos < sql.size();) {
        size_t end = sql.find('\n', pos);
        if (end == std::string::npos) end = sql.size();
        std::string_view line(sql.data() + pos, end - pos);
        pos = end + 1;
        const size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string_view::npos || line.substr(first).starts_with("--")) continue;
        if (!current.empty()) current += '\n';
        if (line.ends_with(";")) {
            current += line.substr(0, line.size() - 1);
            statements.push_back(std::move(current));
            current.clear();
        } else {
            current += line;
        }
    }
    if (!current.empty()) throw std::logic_error("host_schema.sql: statement without ';'");
    return statements;
}

std::vector<std::string> HostTableNames()
{
    std::vector<std::string> names;
    constexpr std::string_view kCreate = "CREATE TABLE ";
    for (const std::string& s : HostSchemaStatements(SchemaTarget::Sqlite)) {
        if (!s.starts_with(kCreate)) continue;
        size_t end = kCreate.size();
        while (end < s.size() && (std::isalnum(static_cast<unsigned char>(s[end])) || s[end] == '_')) ++end;
        names.push_back(s.substr(kCreate.size(), end - kCreate.size()));
    }
    return names;
}

}  // namespace schema
