#include <gtest/gtest.h>

#include "db/Error.h"
#include "db/TextUtil.h"
#include "db/Utf8.h"
#include "db/Value.h"

using db::Value;

TEST(Value, ConversionsRoundHalfToEvenAndRefuseWhatIsNoNumber) {
    EXPECT_EQ(Value::Double(2.5).ToInt16(), 2);
    EXPECT_EQ(Value::Double(3.5).ToInt16(), 4);
    EXPECT_EQ(Value::Double(-2.5).ToInt32(), -2);
    EXPECT_EQ(Value::Text(" 42 ").ToInt16(), 42);
    EXPECT_EQ(Value().ToInt16(), 0);  // empty converts to 0
    EXPECT_DOUBLE_EQ(Value::Text(" 1.5e2 ").ToDouble(), 150);
    const std::pair<Value, unsigned> refused[] = {{Value::Int32(32767 + 100), db::ErrorCode::Overflow},
                                                  {Value::Text(""), db::ErrorCode::TypeMismatch},
                                                  {Value::Null(), db::ErrorCode::TypeMismatch}};
    for (const auto& [v, code] : refused) {
        try {
            v.ToInt16();
            ADD_FAILURE() << "converted " << v.ToText();
        } catch (const db::Error& e) {
            EXPECT_EQ(e.Code(), code) << v.ToText();
        }
    }
    EXPECT_THROW(Value::Text("yes").ToBool(), db::Error);
    for (const char* t : {"abc", "inf", "-INF", "Infinity", "nan", "NAN(1)", "1e999"})
        EXPECT_THROW(Value::Text(t).ToDouble(), db::Error) << t;
    EXPECT_TRUE(Value::Int16(-1).ToBool());
    EXPECT_FALSE(Value::Int16(0).ToBool());
    EXPECT_TRUE(Value::Text("true").ToBool());
}

TEST(Value, TextForms) {
    const std::pair<Value, const char*> cases[] = {
        {Value::Double(12.5), "12.5"}, {Value::Double(0.1 + 0.2), "0.30000000000000004"}, {Value::Double(100), "100"},
        {Value::Double(12.4), "12.4"}, {Value::Date({2026, 12, 6}), "2026-12-06"},          {Value::Null(), ""},
    };
    for (const auto& [v, text] : cases) EXPECT_EQ(v.ToText(), text);
    EXPECT_EQ(db::DateTime::Parse("2026/1/5 08:30")->ToText(), "2026-01-05 08:30:00");
    EXPECT_EQ(db::DateTime::Parse("2026-12-06 10:11:12.123")->second, 12);
    for (const char* no : {"2026-02-30", "12.5", ""}) EXPECT_FALSE(db::DateTime::Parse(no)) << no;
}

TEST(Text, TrimTakesAsciiBlanksAndTheFullWidthBlankOnlyWhenAsked) {
    const std::string fw = "\xE3\x80\x80";  // U+3000
    const struct {
        std::string in, ascii, withFullWidth;
    } cases[] = {
        {" \t\r\n12\r\n", "12", "12"},
        {fw + "货号" + fw, fw + "货号" + fw, "货号"},
        {" " + fw + " a b " + fw + "\t", fw + " a b " + fw, "a b"},
        {"\xE3\x80", "\xE3\x80", "\xE3\x80"},  // a cut sequence is no blank
        {fw + fw, fw + fw, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(db::text::Trim(c.in), c.ascii) << c.in;
        EXPECT_EQ(db::text::TrimView(c.in, db::text::FullWidthBlank::Trimmed), c.withFullWidth) << c.in;
    }
}

TEST(Text, Utf16ConversionReplacesEachBadByteAndUnpairedSurrogate) {
    const std::pair<std::string, std::u16string> cases[] = {
        {"a价\xF0\x9F\x98\x80", u"a\u4EF7\xD83D\xDE00"},
        {"\xC0\xAF!", u"\xFFFD\xFFFD!"},        // overlong: two bad bytes
        {"\xED\xA0\x80", u"\xFFFD\xFFFD\xFFFD"},  // a surrogate encoded in UTF-8
        {"x\xE4\xB8", u"x\xFFFD\xFFFD"},        // cut at the end
    };
    for (const auto& [utf8, utf16] : cases) EXPECT_EQ(db::text::Utf8ToUtf16(utf8), utf16) << utf8;
    EXPECT_EQ(db::text::Utf16ToUtf8(u"\xD83D\xDE00\u4EF7"), "\xF0\x9F\x98\x80价");
    EXPECT_EQ(db::text::Utf16ToUtf8(std::u16string(u"a\xDC00") + u"\xD800"), "a\xEF\xBF\xBD\xEF\xBF\xBD");
}
