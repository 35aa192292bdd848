#include "schema/ServerDatabase.h"

#include <charconv>
#include <optional>
#include <utility>
#include <vector>

#include "schema/DemoDataSet.h"

namespace schema {

namespace {

using detail::RowSink;
using detail::RowStatement;

// The values go into the statement text as literals: the connection takes statement texts only.
// Every statement of the builders is an INSERT whose '?' stand for values, with no '?' of its own.
class LiteralStatement : public RowStatement {
public:
    LiteralStatement(db::Connection& c, std::string_view sql) : c_(c)
    {
        size_t start = 0;
        for (size_t q = sql.find('?'); q != std::string_view::npos; q = sql.find('?', start)) {
            pieces_.emplace_back(sql.substr(start, q - start));
            start = q + 1;
        }
        pieces_.emplace_back(sql.substr(start));
        values_.resize(pieces_.size() - 1);
    }

    RowStatement& Bind(int index, std::string_view text) override
    {
        std::string quoted = "'";
        for (char ch : text) quoted += ch == '\'' ? std::string("''") : std::string(1, ch);
        return Set(index, quoted + "'");
    }
    RowStatement& Bind(int index, int value) override { return Set(index, std::to_string(value)); }
    RowStatement& Bind(int index, double value) override
    {
        char buffer[64];
        const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
        if (ec != std::errc()) throw std::logic_error("number out of range");
        return Set(index, std::string(buffer, end));
    }
    RowStatement& BindNull(int index) override { return Set(index, "NULL"); }

    void Execute() override
    {
        std::string sql = pieces_.front();
        for (size_t n = 0; n < values_.size(); ++n) {
            if (!values_[n]) throw std::logic_error("parameter " + std::to_string(n + 1) + " not bound");
            sql += *values_[n];
            sql += pieces_[n + 1];
        }
        c_.Execute(sql);
        for (auto& v : values_) v.reset();
    }

private:
    RowStatement& Set(int index, std::string literal)
    {
        if (index < 1 || static_cast<size_t>(index) > values_.size())
            throw std::logic_error("parameter " + std::to_string(index) + " out of range");
        values_[static_cast<size_t>(index) - 1] = std::move(literal);
        return *this;
    }

    db::Connection& c_;
    std::vector<std::string> pieces_;
    std::vector<std::optional<std::string>> values_;
};

class ConnectionSink : public RowSink {
public:
    explicit ConnectionSink(db::Connection& c) : c_(c) {}
    void Exec(const std::string& sql) override { c_.Execute(sql); }
    std::unique_ptr<RowStatement> PrepareRow(std::string_view sql) override
    {
        return std::make_unique<LiteralStatement>(c_, sql);
    }

private:
    db::Connection& c_;
};

std::optional<std::string> TryScalar(db::Connection& c, const std::string& sql)
{
    try {
        auto rs = c.OpenRecordset(sql);
        if (rs.RecordCount() == 0) return std::string();
        return rs.Get(0).ToText();
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// Asked before the transaction: on PostgreSQL a failed statement spoils the transaction it is in.
void RefuseHostTables(db::Connection& c)
{
    std::string present;
    for (const std::string& table : HostTableNames()) {
        if (TryScalar(c, "select count(*) from " + table + " where 1=0")) {
            present += present.empty() ? table : "、" + table;
        }
    }
    if (!present.empty()) {
        throw HostTablesPresent("该数据库中已有主机数据表（" + present +
                                "），未作任何改动。请指定一个空数据库。");
    }
}

void CreateTables(db::Connection& c, SchemaTarget target)
{
    for (const std::string& statement : HostSchemaStatements(target)) c.Execute(statement);
}

}  // namespace

SchemaTarget ServerTarget(db::Connection& c)
{
    if (auto v = TryScalar(c, "select version()"); v && v->starts_with("PostgreSQL")) return SchemaTarget::PostgreSql;
    if (TryScalar(c, "select sqlite_version()")) return SchemaTarget::Sqlite;
    throw UnsupportedServer("不支持的数据库：只能在 PostgreSQL 或 SQLite 数据库上建立主机数据表。");
}

void CreateServerHostTables(db::Connection& c)
{
    const SchemaTarget target = ServerTarget(c);
    RefuseHostTables(c);
    db::TransactionGuard transaction(c);
    CreateTables(c, target);
    transaction.Commit();
}

void CreateServerDemoDatabase(db::Connection& c, const DemoOptions& options)
{
    const detail::DemoDataSet data = detail::GenerateDemoData(options);
    const SchemaTarget target = ServerTarget(c);
    RefuseHostTables(c);
    db::TransactionGuard transaction(c);
    CreateTables(c, target);
    ConnectionSink sink(c);
    detail::WriteDemoRows(sink, data);
    transaction.Commit();
}

}  // namespace schema
