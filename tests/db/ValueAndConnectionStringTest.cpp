#include <gtest/gtest.h>

#include "db/ConnectionString.h"
#include "db/Error.h"
#include "db/TextUtil.h"
#include "db/Utf8.h"
#include "db/Value.h"

using db::Value;

TEST(Value, IntegerConversionRoundsHalfToEvenAndChecksRange) {
    EXPECT_EQ(Value::Double(2.5).ToInt16(), 2);
    EXPECT_EQ(Value::Double(3.5).ToInt16(), 4);
    EXPECT_EQ(Value::Double(-2.5).ToInt32(), -2);
    EXPECT_EQ(Value::Text(" 42 ").ToInt16(), 42);
    EXPECT_EQ(Value().ToInt16(), 0);  // empty converts to 0
    try {
        Value::Int32(32767 + 100).ToInt16();
        FAIL() << "no overflow";
    } catch (const db::Error& e) {
        EXPECT_EQ(e.Code(), db::ErrorCode::Overflow);
    }
    try {
        Value::Text("").ToInt16();
        FAIL() << "empty text converted";
    } catch (const db::Error& e) {
        EXPECT_EQ(e.Code(), db::ErrorCode::TypeMismatch);
    }
    EXPECT_THROW(Value::Null().ToInt16(), db::Error);
    EXPECT_THROW(Value::Text("abc").ToDouble(), db::Error);
}

TEST(Value, BooleanAndTextForms) {
    EXPECT_TRUE(Value::Int16(-1).ToBool());
    EXPECT_FALSE(Value::Int16(0).ToBool());
    EXPECT_TRUE(Value::Text("true").ToBool());
    EXPECT_THROW(Value::Text("yes").ToBool(), db::Error);
    EXPECT_EQ(Value::Double(12.5).ToText(), "12.5");
    EXPECT_EQ(Value::Double(0.1 + 0.2).ToText(), "0.30000000000000004");
    EXPECT_EQ(Value::Double(100).ToText(), "100");
    EXPECT_EQ(Value::Double(12.4).ToText(), "12.4");
    EXPECT_EQ(Value::Date({2026, 12, 6}).ToText(), "2026-12-06");
    EXPECT_EQ(Value::Null().ToText(), "");
}

TEST(DateTime, ParsesTheFormsDatabasesReturn) {
    EXPECT_EQ(db::DateTime::Parse("2026-12-06")->ToText(), "2026-12-06");
    EXPECT_EQ(db::DateTime::Parse("2026/1/5 08:30")->ToText(), "2026-01-05 08:30:00");
    EXPECT_EQ(db::DateTime::Parse("2026-12-06 10:11:12.123")->second, 12);
    EXPECT_FALSE(db::DateTime::Parse("2026-02-30"));
    EXPECT_FALSE(db::DateTime::Parse("12.5"));
    EXPECT_FALSE(db::DateTime::Parse(""));
}

TEST(ConnectionString, ParsesPairsQuotesAndCase) {
    auto cs = db::ConnectionString::Parse("Provider=SQLite; data source = \"/tmp/a;b.db\" ;Password='it''s';");
    EXPECT_EQ(cs.Get("provider").value(), "SQLite");
    EXPECT_EQ(cs.Get("Data Source").value(), "/tmp/a;b.db");
    EXPECT_EQ(cs.Get("PASSWORD").value(), "it's");
    EXPECT_FALSE(cs.Get("User ID"));
}

TEST(ConnectionString, RefusesEmptyAndMalformedWithoutShowingThePassword) {
    EXPECT_THROW(db::ConnectionString::Parse(""), db::Error);
    EXPECT_THROW(db::ConnectionString::Parse("  ;  "), db::Error);
    try {
        db::ConnectionString::Parse("Provider=SQLOLEDB;Password=\"s3cret");
        FAIL();
    } catch (const db::Error& e) {
        EXPECT_EQ(e.Description().find("s3cret"), std::string::npos);
    }
    try {
        db::ConnectionString::Parse("Password=s3cret;garbage");
        FAIL();
    } catch (const db::Error& e) {
        EXPECT_EQ(e.Description().find("s3cret"), std::string::npos);
    }
    auto cs = db::ConnectionString::Parse("Server=x;UID=sa;PWD=s3cret");
    EXPECT_EQ(cs.Redacted(), "Server=x;UID=sa;PWD=******");
    EXPECT_EQ(cs.Scrub("login failed for sa/s3cret"), "login failed for sa/******");
}

TEST(Value, InfinityAndNanInATextAreNoNumbers) {
    for (const char* t : {"inf", "-INF", "Infinity", "nan", "NAN(1)", "1e999"})
        EXPECT_THROW(db::Value::Text(t).ToDouble(), db::Error) << t;
    EXPECT_DOUBLE_EQ(db::Value::Text(" 1.5e2 ").ToDouble(), 150);
}

TEST(Text, TrimTakesAsciiBlanksAndTheFullWidthBlankOnlyWhenAsked) {
    using db::text::FullWidthBlank;
    const std::string fw = "\xE3\x80\x80";  // U+3000
    struct Case {
        std::string in, ascii, withFullWidth;
    } cases[] = {
        {" \t\r\n12\r\n", "12", "12"},
        {fw + "货号" + fw, fw + "货号" + fw, "货号"},
        {" " + fw + " a b " + fw + "\t", fw + " a b " + fw, "a b"},
        {"\xE3\x80", "\xE3\x80", "\xE3\x80"},  // a cut sequence is no blank
        {fw + fw, fw + fw, ""},
        {" \t ", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(db::text::Trim(c.in), c.ascii) << c.in;
        EXPECT_EQ(db::text::TrimView(c.in, FullWidthBlank::Trimmed), c.withFullWidth) << c.in;
    }
}

TEST(Text, Utf16ConversionReplacesEachBadByteAndUnpairedSurrogate) {
    struct Case {
        std::string utf8;
        std::u16string utf16;
    } cases[] = {
        {"a价", u"a\u4EF7"},
        {"\xF0\x9F\x98\x80", u"\xD83D\xDE00"},
        {"\xC0\xAF!", u"\xFFFD\xFFFD!"},        // overlong: two bad bytes
        {"\xED\xA0\x80", u"\xFFFD\xFFFD\xFFFD"},  // a surrogate encoded in UTF-8
        {"x\xE4\xB8", u"x\xFFFD\xFFFD"},        // cut at the end
    };
    for (const Case& c : cases) EXPECT_EQ(db::text::Utf8ToUtf16(c.utf8), c.utf16) << c.utf8;
    EXPECT_EQ(db::text::Utf16ToUtf8(u"\xD83D\xDE00\u4EF7"), "\xF0\x9F\x98\x80价");
    EXPECT_EQ(db::text::Utf16ToUtf8(std::u16string(u"a\xDC00") + u"\xD800"), "a\xEF\xBF\xBD\xEF\xBF\xBD");
}
