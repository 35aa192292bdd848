#include <gtest/gtest.h>

#include "db/ConnectionString.h"
#include "db/Error.h"
#include "db/odbc/OdbcConnectionString.h"

using db::odbc::ToOdbcTarget;

namespace {

db::odbc::OdbcTarget Map(const std::string& text) { return ToOdbcTarget(db::ConnectionString::Parse(text)); }

// The description of the error the mapping refuses `text` with.
std::string Refusal(const std::string& text) {
    try {
        Map(text);
    } catch (const db::Error& e) {
        EXPECT_EQ(e.Code(), db::ErrorCode::ConnectionFailed);
        return e.Description();
    }
    ADD_FAILURE() << "accepted: " << text;
    return {};
}

}  // namespace

TEST(OdbcConnectionString, DriverAndDsnFormsPassAsWrittenWithoutOurOwnKeys) {
    const std::string vendor = "Driver={ODBC Driver 18 for SQL Server};Server=tcp:hq,1433;UID=sa;PWD={p;w}";
    EXPECT_EQ(Map(vendor).connectionString, vendor);
    EXPECT_EQ(Map(vendor).loginTimeoutSeconds, 15);
    EXPECT_EQ(Map("DSN=shop;UID=sa;PWD=pw").connectionString, "DSN=shop;UID=sa;PWD=pw");

    // The time-out becomes the connection attribute; the provider of ADO's ODBC bridge goes.
    auto t = Map("Provider=MSDASQL;DSN=shop;Connect Timeout=5;UID=sa;PWD={p;w};Database=\"a b\"");
    EXPECT_EQ(t.connectionString, "DSN=shop;UID=sa;PWD={p;w};Database=a b");
    EXPECT_EQ(t.loginTimeoutSeconds, 5);
    EXPECT_EQ(Map("Driver=FreeTDS;Server=hq;Login Timeout=0").loginTimeoutSeconds, 0);
    EXPECT_EQ(Map("Driver=FreeTDS;Server=hq;Connection Timeout=30").connectionString, "Driver=FreeTDS;Server=hq");
    // A Driver= string with a provider key is taken as written, not as the ADO form.
    EXPECT_EQ(Map("Provider=SQLOLEDB;Driver=FreeTDS;Server=hq").connectionString, "Driver=FreeTDS;Server=hq");
    EXPECT_NE(Refusal("DSN=shop;Connect Timeout=soon").find("Connect Timeout=soon"), std::string::npos);
    Refusal("DSN=shop;Login Timeout=-1");
}

TEST(OdbcConnectionString, AdoSqlServerFormBecomesFreeTdsString) {
    const std::string tail = ";Initial Catalog=shop;User ID=sa;Password=pw";
    struct Case {
        std::string source, server;
    } cases[] = {
        {"Provider=SQLOLEDB.1;Data Source=hq,1500", "Server=hq;Port=1500"},
        {"Provider=SQLOLEDB;Data Source=hq", "Server=hq;Port=1433"},
        {"Provider=SQLNCLI11;Data Source=hq\\SHOP", "Server=hq\\SHOP"},  // the instance's port is looked up
        {"Provider=MSOLEDBSQL;Data Source=(local)", "Server=localhost;Port=1433"},
        {"provider=sqloledb;data source= tcp:10.1.2.3 , 1433 ", "Server=10.1.2.3;Port=1433"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Map(c.source + tail).connectionString,
                  "Driver=FreeTDS;" + c.server + ";Database=shop;UID=sa;PWD=pw;TDS_Version=7.4;ClientCharset=UTF-8")
            << c.source;

    // Values that would end the pair or open a brace are braced, with '}' doubled.
    EXPECT_EQ(Map("Provider=SQLOLEDB;Data Source=hq;User ID=sa;Password=\"a;b}c\";Application Name=门店").connectionString,
              "Driver=FreeTDS;Server=hq;Port=1433;UID=sa;PWD={a;b}}c};TDS_Version=7.4;ClientCharset=UTF-8;APP=门店");
    EXPECT_EQ(Map("Provider=SQLOLEDB;Data Source=hq;User ID=sa;Connect Timeout=3").loginTimeoutSeconds, 3);
}

TEST(OdbcConnectionString, OdbcDriverKeyChoosesTheVendorsDriver) {
    EXPECT_EQ(Map("Provider=SQLOLEDB;Data Source=hq,1500;Initial Catalog=shop;User ID=sa;Password=pw;"
                  "ODBC Driver={ODBC Driver 18 for SQL Server}")
                  .connectionString,
              "Driver={ODBC Driver 18 for SQL Server};Server=tcp:hq,1500;Database=shop;UID=sa;PWD=pw;"
              "TrustServerCertificate=yes");
    EXPECT_EQ(Map("Provider=SQLOLEDB;Data Source=hq\\SHOP;User ID=sa;Password=pw;ODBC Driver=ODBC Driver 17 for SQL Server")
                  .connectionString,
              "Driver={ODBC Driver 17 for SQL Server};Server=tcp:hq\\SHOP;UID=sa;PWD=pw;TrustServerCertificate=yes");
    EXPECT_EQ(Map("Provider=SQLOLEDB;Data Source=hq;User ID=sa;Password=pw;ODBC Driver=FreeTDS").connectionString,
              "Driver=FreeTDS;Server=hq;Port=1433;UID=sa;PWD=pw;TDS_Version=7.4;ClientCharset=UTF-8");
}

TEST(OdbcConnectionString, RefusesWhatCannotWorkHereWithoutShowingThePassword) {
    for (const char* sspi : {"Provider=SQLOLEDB;Data Source=hq;Integrated Security=SSPI;Password=s3cret",
                             "Provider=SQLNCLI11;Data Source=hq;Trusted_Connection=yes;User ID=sa;Password=s3cret"}) {
        std::string m = Refusal(sspi);
        EXPECT_NE(m.find("Windows"), std::string::npos) << m;
        EXPECT_NE(m.find("User ID"), std::string::npos) << m;
        EXPECT_EQ(m.find("s3cret"), std::string::npos);
    }
    EXPECT_EQ(Map("Provider=SQLOLEDB;Data Source=hq;Integrated Security=false;User ID=sa").connectionString.find("Integrated"),
              std::string::npos);
    EXPECT_NE(Refusal("Provider=SQLOLEDB;Initial Catalog=shop;User ID=sa;Password=s3cret").find("Data Source"),
              std::string::npos);
    EXPECT_NE(Refusal("Provider=SQLOLEDB;Data Source=hq;Password=s3cret").find("User ID"), std::string::npos);
    EXPECT_NE(Refusal("Provider=SQLOLEDB;Data Source=hq,sql;User ID=sa;Password=s3cret").find("sql"), std::string::npos);
}
