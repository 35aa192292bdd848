// The host tables as created in an empty database: declared types the database layer can
// classify, case-blind text, the keys that guard bills and prices, and file handling.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <stdexcept>

#include "SqliteProbe.h"
#include "schema/DemoDatabase.h"
#include "schema/HostSchema.h"

namespace schema::test {
namespace {

const std::vector<std::string> kTables = {
    "sys_var", "t_SystemProfile", "GLSelect", "gl_custom", "glsx", "kclb", "yw_kck", "glprice",
    "SubAdjuctPrice", "SubAdjuctPricemx", "t_Operator", "t_OperatorRight",
};

class HostSchemaTest : public ::testing::Test {
protected:
    void SetUp() override { CreateEmptyHostDatabase(path_); }

    ScratchDir dir_;
    std::string path_ = dir_.File("host.db");
};

TEST_F(HostSchemaTest, CreatesEveryTableEmptyInWalMode)
{
    SqliteProbe db(path_);
    for (const auto& table : kTables) {
        EXPECT_EQ(db.Int("SELECT count(*) FROM sqlite_schema WHERE type = 'table' AND name = '" + table + "'"), 1)
            << table;
        EXPECT_EQ(db.Int("SELECT count(*) FROM " + table), 0) << table;
    }
    EXPECT_EQ(db.Text("PRAGMA journal_mode"), "wal");
}

// The database layer classifies columns by declared type; an unknown spelling would give a
// column no type class, and a text column without NOCASE would compare case-sensitively.
// (SQLite reports the standard names "int" and "text" in capitals.)
TEST_F(HostSchemaTest, EveryColumnHasAClassifiableTypeAndTextIgnoresCase)
{
    SqliteProbe db(path_);
    const std::regex known(R"(smallint|int|bit|numeric\(18,4\)|datetime|text|varchar\(\d+\))", std::regex::icase);
    int textColumns = 0;
    for (const auto& table : kTables) {
        for (const auto& row : db.Rows("SELECT name, type FROM pragma_table_info('" + table + "')")) {
            // row is "t:name|t:type|"
            const auto bar = row.find('|');
            const std::string column = row.substr(2, bar - 2);
            const std::string type = row.substr(bar + 3, row.size() - bar - 4);
            EXPECT_TRUE(std::regex_match(type, known)) << table << '.' << column << ' ' << type;
            const char* declared = nullptr;
            const char* collation = nullptr;
            ASSERT_EQ(sqlite3_table_column_metadata(db.Handle(), nullptr, table.c_str(), column.c_str(), &declared,
                                                    &collation, nullptr, nullptr, nullptr),
                      SQLITE_OK);
            if (type == "TEXT" || type.starts_with("varchar")) {
                ++textColumns;
                EXPECT_STREQ(collation, "NOCASE") << table << '.' << column;
            }
        }
    }
    EXPECT_GT(textColumns, 30);
}

TEST_F(HostSchemaTest, SysVarHasTheHostColumnOrder)
{
    SqliteProbe db(path_);
    const auto columns = db.Rows("SELECT name FROM pragma_table_info('sys_var') ORDER BY cid");
    ASSERT_EQ(columns.size(), 41u);
    EXPECT_EQ(columns[7], "t:jjbl|");
    EXPECT_EQ(columns[9], "t:bz1|");
    EXPECT_EQ(columns[18], "t:xz1|");
    EXPECT_EQ(columns[35], "t:sf_tag|");
    EXPECT_EQ(columns[40], "t:qyzt|");
}

TEST_F(HostSchemaTest, KeysRefuseDuplicatesRegardlessOfCase)
{
    SqliteProbe db(path_);
    EXPECT_EQ(db.Run("INSERT INTO SubAdjuctPrice (lsh, dwbh) VALUES ('7', '001')"), SQLITE_DONE);
    EXPECT_EQ(db.Run("INSERT INTO SubAdjuctPrice (lsh, dwbh) VALUES ('7', '002')"), SQLITE_CONSTRAINT_UNIQUE);
    EXPECT_EQ(db.Run("INSERT INTO SubAdjuctPrice (lsh) VALUES ('a1')"), SQLITE_DONE);
    EXPECT_EQ(db.Run("INSERT INTO SubAdjuctPrice (lsh) VALUES ('A1')"), SQLITE_CONSTRAINT_UNIQUE);
    EXPECT_EQ(db.Run("INSERT INTO SubAdjuctPrice (dwbh) VALUES ('001')"), SQLITE_CONSTRAINT_NOTNULL);

    EXPECT_EQ(db.Run("INSERT INTO glprice (HH, DWBH, SJ) VALUES ('abc', 'x01', 1.5)"), SQLITE_DONE);
    EXPECT_EQ(db.Run("INSERT INTO glprice (HH, DWBH, SJ) VALUES ('ABC', 'X01', 2.5)"), SQLITE_CONSTRAINT_UNIQUE);
    EXPECT_EQ(db.Run("INSERT INTO glprice (HH, DWBH, SJ) VALUES ('abc', 'x02', 2.5)"), SQLITE_DONE);

    EXPECT_EQ(db.Run("INSERT INTO glsx (id, name, fid) VALUES ('1', 'a', 3)"), SQLITE_DONE);
    EXPECT_EQ(db.Run("INSERT INTO glsx (id, name, fid) VALUES ('1', 'b', 1)"), SQLITE_DONE);
    EXPECT_EQ(db.Run("INSERT INTO glsx (id, name, fid) VALUES ('1', 'c', 3)"), SQLITE_CONSTRAINT_PRIMARYKEY);

    EXPECT_EQ(db.Run("INSERT INTO t_OperatorRight VALUES ('m', 'op', '审核')"), SQLITE_DONE);
    EXPECT_EQ(db.Run("INSERT INTO t_OperatorRight VALUES ('M', 'OP', '审核')"), SQLITE_CONSTRAINT_PRIMARYKEY);
}

TEST_F(HostSchemaTest, TextComparisonsIgnoreCase)
{
    SqliteProbe db(path_);
    ASSERT_EQ(db.Run("INSERT INTO yw_kck (hh, pm, pm_zjm) VALUES ('ABC', 'x', 'HfDm')"), SQLITE_DONE);
    EXPECT_EQ(db.Text("SELECT hh FROM yw_kck WHERE hh = 'abc'"), "ABC");
    EXPECT_EQ(db.Int("SELECT count(*) FROM yw_kck WHERE pm_zjm = 'hfdm'"), 1);
    EXPECT_EQ(db.Int("SELECT count(*) FROM yw_kck WHERE pm_zjm > 'HFDL' AND pm_zjm < 'hfdn'"), 1);
    ASSERT_EQ(db.Run("INSERT INTO SubAdjuctPricemx (lsh, hh) VALUES ('1', 'abc')"), SQLITE_DONE);
    EXPECT_EQ(db.Int("SELECT count(*) FROM SubAdjuctPricemx l JOIN yw_kck k ON k.hh = l.hh"), 1);
}

TEST(HostDatabaseFileTest, RefusesAnExistingFileAndLeavesItAlone)
{
    ScratchDir dir;
    const std::string path = dir.File("existing.db");
    std::ofstream(path) << "keep me";
    EXPECT_THROW(CreateEmptyHostDatabase(path), std::runtime_error);
    EXPECT_THROW(CreateDemoDatabase(path, {.itemCount = 20, .branchCount = 2}), std::runtime_error);
    std::ifstream in(path);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "keep me");
}

TEST(HostDatabaseFileTest, FailsWhereNoFileCanBeCreated)
{
    ScratchDir dir;
    const std::string path = dir.File("missing/folder/host.db");
    EXPECT_THROW(CreateEmptyHostDatabase(path), std::runtime_error);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(HostDatabaseFileTest, BadDemoOptionsLeaveNoFile)
{
    ScratchDir dir;
    const std::string path = dir.File("demo.db");
    EXPECT_THROW(CreateDemoDatabase(path, {.itemCount = 0}), std::invalid_argument);
    EXPECT_THROW(CreateDemoDatabase(path, {.branchCount = 1000}), std::invalid_argument);
    EXPECT_FALSE(std::filesystem::exists(path));
}

// The one schema text rendered per target: every placeholder replaced, and each target's own
// spelling of the types and of the unaudited bills' index condition.
TEST(HostSchemaRenderTest, EachTargetGetsItsOwnTypesAndNoPlaceholderIsLeft)
{
    struct Case {
        SchemaTarget target;
        std::vector<std::string> present, absent;
    };
    const Case cases[] = {
        {SchemaTarget::Sqlite,
         {"varchar(20) COLLATE NOCASE", "text COLLATE NOCASE", "numeric(18,4)", " datetime,", " bit,",
          "WHERE ifnull(shbz,0)=0", "(cast(lsh as int) COLLATE NOCASE)"},
         {"citext", "coalesce", "timestamp"}},
        {SchemaTarget::PostgreSql,
         {" citext,", "numeric(18,4)", " timestamp,", "WHERE coalesce(shbz,0)=0"},
         {"NOCASE", "varchar", "datetime", " bit", "ifnull", "cast(lsh", "ix_SubAdjuctPrice_lsh_number"}},
    };
    for (const Case& c : cases) {
        std::string statements;
        for (const std::string& s : HostSchemaStatements(c.target)) {
            EXPECT_EQ(s.find_first_of("{};"), std::string::npos) << s;
            EXPECT_EQ(s.find("--"), std::string::npos) << s;
            statements += s + "\n";
        }
        for (const auto& text : c.present) EXPECT_NE(statements.find(text), std::string::npos) << text;
        for (const auto& text : c.absent) EXPECT_EQ(statements.find(text), std::string::npos) << text;
    }
    EXPECT_EQ(HostSchemaStatements(SchemaTarget::PostgreSql).front(), "CREATE EXTENSION IF NOT EXISTS citext");
    EXPECT_EQ(HostTableNames(), kTables);
}

}  // namespace
}  // namespace schema::test
