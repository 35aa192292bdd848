// The raw side on a PostgreSQL server: libpq, each statement sent with its parameters in one
// round trip (PQexecParams), its rows read as the text libpq hands over.
#include <libpq-fe.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/RawDatabase.h"
#include "db/ConnectionString.h"

namespace bench {
namespace {

struct ResultClear {
    void operator()(PGresult* r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultClear>;

[[noreturn]] void Fail(PGconn* c, std::string_view sql) {
    throw std::runtime_error(std::string(PQerrorMessage(c)) + " in: " + std::string(sql));
}

class PgCursor final : public RawCursor {
public:
    PgCursor(PGconn* c, std::string_view sql) : c_(c) {
        int count = 0;
        sql_ = NumberedParameters(sql, count);
        params_.resize(static_cast<size_t>(count));
    }

    void Bind(int index, std::string_view text) override { params_.at(static_cast<size_t>(index) - 1) = std::string(text); }
    void Bind(int index, double value) override {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.17g", value);
        params_.at(static_cast<size_t>(index) - 1) = std::string(buffer);
    }

    long Read() override {
        Send(PGRES_TUPLES_OK);
        const int rows = PQntuples(result_.get()), n = PQnfields(result_.get());
        std::string kept;
        std::vector<std::uint32_t> ends;
        for (int r = 0; r < rows; ++r)
            for (int i = 0; i < n; ++i) {
                if (!PQgetisnull(result_.get(), r, i))
                    kept.append(PQgetvalue(result_.get(), r, i), static_cast<size_t>(PQgetlength(result_.get(), r, i)));
                ends.push_back(static_cast<std::uint32_t>(kept.size()));
            }
        Consume(static_cast<long long>(kept.size() + ends.size()));
        result_.reset();
        return rows;
    }

    long Run() override {
        Send(PGRES_COMMAND_OK);
        const long changed = std::atol(PQcmdTuples(result_.get()));
        result_.reset();
        return changed;
    }

    bool Step() override {
        if (!result_) {
            Send(PGRES_TUPLES_OK);
            row_ = -1;
        }
        if (++row_ < PQntuples(result_.get())) return true;
        result_.reset();
        return false;
    }

    bool IsNull(int column) const override { return PQgetisnull(result_.get(), row_, column); }
    std::string_view Text(int column) const override {
        return {PQgetvalue(result_.get(), row_, column), static_cast<size_t>(PQgetlength(result_.get(), row_, column))};
    }
    double Double(int column) const override { return std::strtod(PQgetvalue(result_.get(), row_, column), nullptr); }
    long long Int(int column) const override { return std::strtoll(PQgetvalue(result_.get(), row_, column), nullptr, 10); }
    int Columns() const override { return result_ ? PQnfields(result_.get()) : 0; }

private:
    void Send(ExecStatusType expected) {
        std::vector<const char*> values;
        for (const auto& p : params_) values.push_back(p ? p->c_str() : nullptr);
        result_.reset(PQexecParams(c_, sql_.c_str(), static_cast<int>(values.size()), nullptr, values.data(), nullptr,
                                   nullptr, 0));
        const ExecStatusType status = PQresultStatus(result_.get());
        if (status != expected && !(expected == PGRES_COMMAND_OK && status == PGRES_TUPLES_OK)) Fail(c_, sql_);
        for (auto& p : params_) p.reset();
    }

    PGconn* c_;
    std::string sql_;
    std::vector<std::optional<std::string>> params_;
    Result result_;
    int row_ = -1;
};

class PgDatabase final : public RawDatabase {
public:
    explicit PgDatabase(const std::string& odbc) {
        const auto cs = db::ConnectionString::Parse(odbc);
        auto first = [&](std::initializer_list<const char*> keys) {
            for (const char* k : keys)
                if (auto v = cs.Get(k)) return *v;
            return std::string();
        };
        const std::string host = first({"Server", "Servername", "Host"}), port = first({"Port"}),
                          dbname = first({"Database"}), user = first({"Uid", "UserName", "User ID"}),
                          password = first({"Pwd", "Password"});
        std::vector<const char*> keys, values;
        auto add = [&](const char* k, const std::string& v) {
            if (v.empty()) return;
            keys.push_back(k);
            values.push_back(v.c_str());
        };
        add("host", host);
        add("port", port);
        add("dbname", dbname);
        add("user", user);
        add("password", password);
        keys.push_back(nullptr);
        values.push_back(nullptr);
        c_.reset(PQconnectdbParams(keys.data(), values.data(), 0));
        if (!c_ || PQstatus(c_.get()) != CONNECTION_OK)
            throw std::runtime_error("libpq cannot connect: " + std::string(c_ ? PQerrorMessage(c_.get()) : "out of memory"));
    }

    std::unique_ptr<RawCursor> Prepare(std::string_view sql) override { return std::make_unique<PgCursor>(c_.get(), sql); }

    void Exec(const std::string& sql) override {
        Result r(PQexec(c_.get(), sql.c_str()));
        const ExecStatusType status = PQresultStatus(r.get());
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) Fail(c_.get(), sql);
    }

    void Begin() override { Exec("BEGIN"); }

private:
    struct Finisher {
        void operator()(PGconn* c) const { PQfinish(c); }
    };
    std::unique_ptr<PGconn, Finisher> c_;
};

}  // namespace

std::unique_ptr<RawDatabase> RawDatabase::OpenPostgres(const std::string& odbcConnectionString) {
    return std::make_unique<PgDatabase>(odbcConnectionString);
}

}  // namespace bench
