// The host tables as created: classifiable types, case-blind text and keys, and file handling.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <regex>
#include <stdexcept>

#include "SqliteProbe.h"
#include "schema/DemoDatabase.h"
#include "schema/HostSchema.h"

namespace schema::test {
namespace {

class HostSchemaTest : public ::testing::Test {
protected:
    void SetUp() override { CreateEmptyHostDatabase(path_); }

    ScratchDir dir_;
    std::string path_ = dir_ / "host.db";
};

// The database layer classifies columns by declared type; a text column without NOCASE would
// compare case-sensitively.
TEST_F(HostSchemaTest, EveryColumnHasAClassifiableTypeAndTextIgnoresCase) {
    SqliteProbe db(path_);
    EXPECT_EQ(db.Rows("PRAGMA journal_mode"), std::vector<std::string>{"wal|"});
    const std::regex known(R"(smallint|int|bit|numeric\(18,4\)|datetime|text|varchar\(\d+\))", std::regex::icase),
        text(R"(text|varchar\(\d+\))", std::regex::icase);
    int textColumns = 0;
    for (const auto& table : HostTableNames()) {
        for (const auto& row : db.Rows("SELECT name FROM pragma_table_info('" + table + "')")) {
            const std::string column = row.substr(0, row.size() - 1);
            const char* type = nullptr;
            const char* collation = nullptr;
            ASSERT_EQ(sqlite3_table_column_metadata(db.Handle(), nullptr, table.c_str(), column.c_str(), &type, &collation,
                                                    nullptr, nullptr, nullptr),
                      SQLITE_OK);
            EXPECT_TRUE(std::regex_match(type, known)) << table << '.' << column << ' ' << type;
            if (std::regex_match(type, text)) {
                ++textColumns;
                EXPECT_STREQ(collation, "NOCASE") << table << '.' << column;
            }
        }
    }
    EXPECT_GT(textColumns, 30);
}

TEST_F(HostSchemaTest, KeysRefuseDuplicatesRegardlessOfCase) {
    SqliteProbe db(path_);
    const std::pair<const char*, int> statements[] = {
        {"INSERT INTO SubAdjuctPrice (lsh) VALUES ('a1')", SQLITE_DONE},
        {"INSERT INTO SubAdjuctPrice (lsh) VALUES ('A1')", SQLITE_CONSTRAINT_UNIQUE},
        {"INSERT INTO SubAdjuctPrice (dwbh) VALUES ('001')", SQLITE_CONSTRAINT_NOTNULL},
        {"INSERT INTO glprice (HH, DWBH, SJ) VALUES ('abc', 'x01', 1.5)", SQLITE_DONE},
        {"INSERT INTO glprice (HH, DWBH, SJ) VALUES ('ABC', 'X01', 2.5)", SQLITE_CONSTRAINT_UNIQUE},
        {"INSERT INTO glprice (HH, DWBH, SJ) VALUES ('abc', 'x02', 2.5)", SQLITE_DONE},
        {"INSERT INTO glsx (id, name, fid) VALUES ('1', 'a', 3)", SQLITE_DONE},
        {"INSERT INTO glsx (id, name, fid) VALUES ('1', 'b', 1)", SQLITE_DONE},
        {"INSERT INTO glsx (id, name, fid) VALUES ('1', 'c', 3)", SQLITE_CONSTRAINT_PRIMARYKEY},
    };
    for (const auto& [sql, rc] : statements) EXPECT_EQ(db.Run(sql), rc) << sql;
}

// Refused before anything is written: a file already there (a second run), a folder that is not
// there, options out of range.
TEST(HostDatabaseFileTest, RefusalsLeaveTheFileAsItWas) {
    ScratchDir dir;
    std::ofstream(dir / "existing.db") << "keep me";
    const auto empty = [](const std::string& p) { CreateEmptyHostDatabase(p); };
    const struct {
        std::string path;
        std::function<void(const std::string&)> create;
        bool badOptions;
    } cases[] = {
        {dir / "existing.db", empty, false},
        {dir / "missing/folder/host.db", empty, false},
        {dir / "demo.db", [](const std::string& p) { CreateDemoDatabase(p, {.itemCount = 0}); }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        if (c.badOptions) {
            EXPECT_THROW(c.create(c.path), std::invalid_argument);
        } else {
            EXPECT_THROW(c.create(c.path), std::runtime_error);
        }
        std::ifstream in(c.path);
        if (c.path == dir / "existing.db") {
            EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "keep me");
        } else {
            EXPECT_FALSE(std::filesystem::exists(c.path));
        }
    }
}

}  // namespace
}  // namespace schema::test
