// Connection strings: how they are read, what the driver manager is given, and no password shown.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "db/Connection.h"
#include "db/ConnectionString.h"
#include "db/Error.h"
#include "db/odbc/OdbcConnectionString.h"
#include "Thrown.h"

namespace {

db::odbc::OdbcTarget Map(const std::string& text) { return db::odbc::ToOdbcTarget(db::ConnectionString::Parse(text)); }

// The description of the error `fn` throws, a refusal of the connection.
std::string Refusal(const std::function<void()>& fn) {
    const db::Error e = Thrown(fn);
    EXPECT_EQ(e.Code(), db::ErrorCode::ConnectionFailed) << e.Description();
    return e.Description();
}

}  // namespace

TEST(ConnectionString, ParsesPairsQuotesAndCase) {
    auto cs = db::ConnectionString::Parse("Provider=SQLite; data source = \"/tmp/a;b.db\" ;Password='it''s';");
    EXPECT_EQ(cs.Get("provider").value(), "SQLite");
    EXPECT_EQ(cs.Get("Data Source").value(), "/tmp/a;b.db");
    EXPECT_EQ(cs.Get("PASSWORD").value(), "it's");
    EXPECT_FALSE(cs.Get("User ID"));
    EXPECT_EQ(db::ConnectionString::Parse("Server=x;UID=sa;PWD=s3cret").Redacted(), "Server=x;UID=sa;PWD=******");
    EXPECT_EQ(db::ConnectionString::Parse("User ID=hunter2;Server=x").Redacted(), "User ID=hunter2;Server=x");
}

TEST(ConnectionString, MalformedIsRefusedQuotingNoPartOfIt) {
    for (const char* text : {"", "Provider=SQLOLEDB;Password=\"top secret", "Password=top secret;garbage",
                             "User ID=sa;Password={top}secret", "=top;Password=secret"}) {
        SCOPED_TRACE(text);
        const std::string m = Refusal([&] { db::ConnectionString::Parse(text); });
        EXPECT_EQ(m.find("secret"), std::string::npos) << m;
        EXPECT_EQ(m.find("top"), std::string::npos) << m;
        EXPECT_NE(m.find("连接字符串"), std::string::npos) << m;
    }
}

// A password key by its name or by its part "password", in every way of writing its value: hidden
// in the redacted string, in what the driver echoes of it, and in a failed open's message.
TEST(ConnectionString, EveryPasswordKeyInEveryFormIsHidden) {
    const char* keys[] = {"pwd", "Jet OLEDB:New Database Password"};
    struct Form {
        std::string written, meant;
    } forms[] = {{"hunter2", "hunter2"},         {"{hunter2}", "hunter2"},    {"\"hun'ter2\"", "hun'ter2"},
                 {"'hun''ter2'", "hun'ter2"},   {"{hun}}ter2}", "hun}ter2"}, {"\"{hunter2}\"", "{hunter2}"}};
    for (const char* key : keys) {
        for (const auto& f : forms) {
            const std::string text = std::string("Provider=SQLite;Data Source=/nonexistent/x") + f.meant + ".db;" + key + "=" +
                                     f.written;
            SCOPED_TRACE(text);
            const auto cs = db::ConnectionString::Parse(text);
            ASSERT_EQ(cs.Get(key).value(), f.meant);
            EXPECT_EQ(cs.Redacted().find("ter2"), std::string::npos) << cs.Redacted();
            EXPECT_EQ(cs.Scrub("sent: " + text).find("ter2"), std::string::npos);
            const std::string m = Refusal([&] { db::Connection().Open(text); });
            EXPECT_EQ(m.find("ter2"), std::string::npos) << m;
        }
    }
}

TEST(OdbcConnectionString, EachFormBecomesTheStringTheDriverManagerIsGiven) {
    const std::string tds = ";TDS_Version=7.4;ClientCharset=UTF-8";
    const std::string account = ";Initial Catalog=shop;User ID=sa;Password=pw";
    const struct {
        std::string source, target;
        int timeout = 15;
    } cases[] = {
        {"Driver={ODBC Driver 18 for SQL Server};Server=tcp:hq,1433;UID=sa;PWD={p;w}",
         "Driver={ODBC Driver 18 for SQL Server};Server=tcp:hq,1433;UID=sa;PWD={p;w}"},
        {"DSN=shop;UID=sa;PWD=pw", "DSN=shop;UID=sa;PWD=pw"},
        {"Provider=MSDASQL;DSN=shop;Connect Timeout=5;UID=sa;PWD={p;w};Database=\"a b\"", "DSN=shop;UID=sa;PWD={p;w};Database=a b", 5},
        {"Provider=SQLOLEDB.1;Data Source=hq,1500" + account, "Driver=FreeTDS;Server=hq;Port=1500;Database=shop;UID=sa;PWD=pw" + tds},
        {"Provider=SQLNCLI11;Data Source=hq\\SHOP" + account, "Driver=FreeTDS;Server=hq\\SHOP;Database=shop;UID=sa;PWD=pw" + tds},
        {"Provider=MSOLEDBSQL;Data Source=(local)" + account, "Driver=FreeTDS;Server=localhost;Port=1433;Database=shop;UID=sa;PWD=pw" + tds},
        {"provider=sqloledb;data source= tcp:10.1.2.3 , 1433 " + account,
         "Driver=FreeTDS;Server=10.1.2.3;Port=1433;Database=shop;UID=sa;PWD=pw" + tds},
        {"Provider=SQLOLEDB;Data Source=hq;User ID=sa;Password=\"a;b}c\";Application Name=门店;Connect Timeout=3",
         "Driver=FreeTDS;Server=hq;Port=1433;UID=sa;PWD={a;b}}c}" + tds + ";APP=门店", 3},
        {"Provider=SQLOLEDB;Data Source=hq;User ID=sa;Password={p}", "Driver=FreeTDS;Server=hq;Port=1433;UID=sa;PWD=p" + tds},
        {"Provider=SQLOLEDB;Data Source=hq;Integrated Security=false;User ID=sa", "Driver=FreeTDS;Server=hq;Port=1433;UID=sa;PWD=" + tds},
        {"Provider=SQLOLEDB;Data Source=hq,1500" + account + ";ODBC Driver={ODBC Driver 18 for SQL Server}",
         "Driver={ODBC Driver 18 for SQL Server};Server=tcp:hq,1500;Database=shop;UID=sa;PWD=pw;TrustServerCertificate=yes"},
    };
    for (const auto& c : cases) {
        const auto t = Map(c.source);
        EXPECT_EQ(t.connectionString, c.target) << c.source;
        EXPECT_EQ(t.loginTimeoutSeconds, c.timeout) << c.source;
    }
    // What the driver echoes of the string it was sent is scrubbed as well.
    const auto braced = db::ConnectionString::Parse("Provider=SQLOLEDB;Data Source=hq;User ID=sa;Password=\"{p}\"");
    EXPECT_EQ(braced.Scrub("login failed: " + db::odbc::ToOdbcTarget(braced).connectionString).find("{p}"), std::string::npos);
}

TEST(OdbcConnectionString, RefusesWhatCannotWorkHereWithoutShowingThePassword) {
    const struct {
        const char* source;
        const char* named;  // what the message names
    } cases[] = {
        {"Provider=SQLOLEDB;Data Source=hq;Integrated Security=SSPI;Password=s3cret", "Windows"},
        {"Provider=SQLNCLI11;Data Source=hq;Trusted_Connection=yes;User ID=sa;Password=s3cret", "User ID"},
        {"Provider=SQLOLEDB;Initial Catalog=shop;User ID=sa;Password=s3cret", "Data Source"},
        {"Provider=SQLOLEDB;Data Source=hq;Password=s3cret", "User ID"},
        {"Provider=SQLOLEDB;Data Source=hq,sql;User ID=sa;Password=s3cret", "sql"},
        {"DSN=shop;Connect Timeout=soon;PWD=s3cret", "Connect Timeout=soon"},
        {"DSN=shop;Login Timeout=-1;PWD=s3cret", "Login Timeout=-1"},
    };
    for (const auto& c : cases) {
        const std::string m = Refusal([&] { Map(c.source); });
        EXPECT_NE(m.find(c.named), std::string::npos) << m;
        EXPECT_EQ(m.find("s3cret"), std::string::npos) << m;
    }
}
