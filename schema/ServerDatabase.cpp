#include "schema/ServerDatabase.h"

#include <cctype>
#include <charconv>
#include <map>
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

    void Execute() override { c_.Execute(Take()); }

    // The text with the values in place; the values are cleared for the next row.
    std::string Take()
    {
        std::string sql = pieces_.front();
        for (size_t n = 0; n < values_.size(); ++n) {
            if (!values_[n]) throw std::logic_error("parameter " + std::to_string(n + 1) + " not bound");
            sql += *values_[n];
            sql += pieces_[n + 1];
        }
        for (auto& v : values_) v.reset();
        return sql;
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

// Rows of hundreds of thousands: one statement per row would cost a round trip to the server
// each. Rows of the same "INSERT INTO t (...) VALUES (...)" are gathered and sent as one
// statement with many rows. Whatever is pending is sent before any other statement and by
// Flush(), which the owner calls before it commits.
class BatchingSink : public RowSink {
public:
    static constexpr size_t kRowsPerStatement = 500;

    explicit BatchingSink(db::Connection& c) : c_(c) {}

    void Exec(const std::string& sql) override
    {
        Flush();
        c_.Execute(sql);
    }

    std::unique_ptr<RowStatement> PrepareRow(std::string_view sql) override
    {
        const size_t values = FindValues(sql);
        if (values == std::string_view::npos) throw std::logic_error("not a single-row insert: " + std::string(sql));
        return std::make_unique<Row>(*this, std::string(sql.substr(0, values)), sql.substr(values));
    }

    void Flush()
    {
        for (auto& [head, batch] : pending_) Send(head, batch);
    }

private:
    struct Batch {
        std::string rows;
        size_t count = 0;
    };

    // A row statement whose '?' are filled into its VALUES tuple; the tuple joins its batch.
    class Row : public RowStatement {
    public:
        Row(BatchingSink& sink, std::string head, std::string_view tuple)
            : sink_(sink), head_(std::move(head)), tuple_(sink.c_, tuple) {}
        RowStatement& Bind(int index, std::string_view text) override { return tuple_.Bind(index, text), *this; }
        RowStatement& Bind(int index, int value) override { return tuple_.Bind(index, value), *this; }
        RowStatement& Bind(int index, double value) override { return tuple_.Bind(index, value), *this; }
        RowStatement& BindNull(int index) override { return tuple_.BindNull(index), *this; }
        void Execute() override { sink_.Add(head_, tuple_.Take()); }

    private:
        BatchingSink& sink_;
        std::string head_;
        LiteralStatement tuple_;  // never executed: only its text is taken
    };

    // Where " VALUES " starts its tuple, outside quotes; npos when there is none.
    static size_t FindValues(std::string_view sql)
    {
        bool quoted = false;
        for (size_t i = 0; i < sql.size(); ++i) {
            if (sql[i] == '\'') quoted = !quoted;
            if (quoted || i + 6 > sql.size()) continue;
            std::string word(sql.substr(i, 6));
            for (char& ch : word) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            if (word == "VALUES" && (i == 0 || sql[i - 1] == ' ')) {
                return sql.find('(', i + 6);
            }
        }
        return std::string_view::npos;
    }

    void Add(const std::string& head, std::string tuple)
    {
        Batch& batch = pending_[head];
        if (batch.count > 0) batch.rows += ',';
        batch.rows += tuple;
        if (++batch.count == kRowsPerStatement) Send(head, batch);
    }

    void Send(const std::string& head, Batch& batch)
    {
        if (batch.count == 0) return;
        c_.Execute(head + batch.rows);
        batch.rows.clear();
        batch.count = 0;
    }

    db::Connection& c_;
    std::map<std::string, Batch> pending_;
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

namespace schema {

namespace {

constexpr const char* kStampTable = "spb_dataset";

}  // namespace

bool CreateServerScaleDatabase(db::Connection& c, DataScale scale, const std::string& stamp)
{
    const SchemaTarget target = ServerTarget(c);
    if (auto present = TryScalar(c, std::string("select max(stamp) from ") + kStampTable)) {
        if (*present == stamp) return false;
        throw OtherDataSet("the database holds the data set \"" + *present + "\", not \"" + stamp +
                           "\"; give an empty database");
    }
    try {
        RefuseHostTables(c);
    } catch (const HostTablesPresent& e) {
        throw OtherDataSet(std::string("the database holds host tables not made for measuring; give an empty database (") +
                           e.what() + ")");
    }
    {
        db::TransactionGuard transaction(c);
        CreateTables(c, target);
        BatchingSink sink(c);
        if (scale == DataScale::Small) detail::WriteDemoRows(sink, detail::GenerateDemoData({}));
        else detail::WriteScaleRows(sink, ScaleOptions::Of(scale));
        sink.Flush();
        c.Execute(std::string("create table ") + kStampTable + " (stamp varchar(200) not null)");
        LiteralStatement mark(c, std::string("insert into ") + kStampTable + " (stamp) values (?)");
        mark.Bind(1, stamp).Execute();
        transaction.Commit();
    }
    // The planner's statistics, so that the first measurements do not run on guesses.
    if (target == SchemaTarget::PostgreSql) c.Execute("analyze");
    return true;
}

}  // namespace schema
