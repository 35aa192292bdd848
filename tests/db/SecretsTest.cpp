// No message shows any part of a password: parse errors, driver errors that quote the file name or
// the connection string, every key that holds one, every way of writing it.
#include <gtest/gtest.h>

#include <string>

#include "db/Connection.h"
#include "db/ConnectionString.h"
#include "db/Error.h"
#include "db/odbc/OdbcConnectionString.h"

namespace {

std::string OpenFailure(const std::string& connectionString) {
    db::Connection c;
    try {
        c.Open(connectionString);
    } catch (const db::Error& e) {
        return e.Description();
    }
    ADD_FAILURE() << "opened: " << connectionString;
    return {};
}

}  // namespace

TEST(Secrets, ParseErrorsQuoteNoPartOfTheString) {
    for (const char* text : {"Provider=SQLite;Password=top;secret", "Password=top;secret;Data Source=x",
                             "PWD=to;p=\"secret", "User ID=sa;Password={top}secret", "=top;Password=secret"}) {
        try {
            db::ConnectionString::Parse(text);
            ADD_FAILURE() << "accepted: " << text;
        } catch (const db::Error& e) {
            EXPECT_EQ(e.Description().find("secret"), std::string::npos) << e.Description();
            EXPECT_EQ(e.Description().find("top"), std::string::npos) << e.Description();
            EXPECT_NE(e.Description().find("连接字符串格式不正确"), std::string::npos);
        }
    }
}

TEST(Secrets, EveryPasswordKeyInEveryFormIsHidden) {
    const char* keys[] = {"Password", "PWD", "pwd", "User Password", "Jet OLEDB:Database Password",
                          "Jet OLEDB:New Database Password", "NewPassword"};
    struct Form {
        std::string written, meant;
    } forms[] = {{"hunter2", "hunter2"},         {"{hunter2}", "hunter2"},    {"\"hun'ter2\"", "hun'ter2"},
                 {"'hun''ter2'", "hun'ter2"},   {"{hun}}ter2}", "hun}ter2"}, {"\"{hunter2}\"", "{hunter2}"}};
    for (const char* key : keys) {
        for (const auto& f : forms) {
            const std::string text = std::string("Provider=SQLite;Data Source=/nonexistent/") + "x" + f.meant + ".db;" + key +
                                     "=" + f.written;
            const auto cs = db::ConnectionString::Parse(text);
            ASSERT_EQ(cs.Get(key).value(), f.meant) << text;
            EXPECT_EQ(cs.Redacted().find("ter2"), std::string::npos) << cs.Redacted();
            const std::string message = OpenFailure(text);
            EXPECT_EQ(message.find(f.meant), std::string::npos) << key << ": " << message;
            EXPECT_EQ(message.find("ter2"), std::string::npos) << key << ": " << message;
            EXPECT_EQ(cs.Scrub("sent: " + text).find("ter2"), std::string::npos) << cs.Scrub("sent: " + text);
        }
    }
    // Other keys are no secret.
    EXPECT_EQ(db::ConnectionString::Parse("User ID=hunter2;Server=x").Redacted(), "User ID=hunter2;Server=x");
}

TEST(Secrets, QuotedBracesStayPartOfThePasswordInTheSqlServerMapping) {
    const auto cs = db::ConnectionString::Parse("Provider=SQLOLEDB;Data Source=hq;User ID=sa;Password=\"{p}\"");
    const auto target = db::odbc::ToOdbcTarget(cs);
    EXPECT_NE(target.connectionString.find(";PWD={{p}}};"), std::string::npos) << target.connectionString;
    // A braced password is the text between the braces.
    EXPECT_NE(db::odbc::ToOdbcTarget(db::ConnectionString::Parse("Provider=SQLOLEDB;Data Source=hq;User ID=sa;Password={p}"))
                  .connectionString.find(";PWD=p;"),
              std::string::npos);
    // What the driver echoes of the string it was sent is scrubbed as well.
    EXPECT_EQ(cs.Scrub("login failed: " + target.connectionString).find("{p}"), std::string::npos);
}

#ifdef SPB_HAVE_ODBC
TEST(Secrets, OdbcConnectFailureShowsTheStringRedacted) {
    const std::string message = OpenFailure("Driver=SPB No Such Driver;Server=x;UID=sa;PWD={hunter2}");
    EXPECT_EQ(message.find("hunter2"), std::string::npos) << message;
    EXPECT_NE(message.find("PWD=******"), std::string::npos) << message;
}
#endif
