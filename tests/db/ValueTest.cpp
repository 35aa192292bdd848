#include <gtest/gtest.h>

#include "db/Error.h"
#include "db/TextUtil.h"
#include "db/Utf8.h"
#include "db/Value.h"
#include "Thrown.h"

using db::Value;

TEST(Value, ConversionsRoundHalfToEvenAndRefuseWhatIsNoNumber) {
    EXPECT_EQ(Value::Double(2.5).ToInt16(), 2);
    EXPECT_EQ(Value::Double(3.5).ToInt16(), 4);
    EXPECT_EQ(Value::Text(" 42 ").ToInt16(), 42);
    EXPECT_EQ(Value().ToInt16(), 0);
    EXPECT_DOUBLE_EQ(Value::Text(" 1.5e2 ").ToDouble(), 150);
    const std::pair<Value, unsigned> refused[] = {{Value::Int32(32767 + 100), db::ErrorCode::Overflow},
                                                  {Value::Text(""), db::ErrorCode::TypeMismatch},
                                                  {Value::Null(), db::ErrorCode::TypeMismatch}};
    for (const auto& [v, code] : refused) EXPECT_EQ(Thrown([&] { (void)v.ToInt16(); }).Code(), code) << v.ToText();
    EXPECT_THROW(Value::Text("yes").ToBool(), db::Error);
    for (const char* t : {"abc", "-INF", "NAN(1)", "1e999"})
        EXPECT_THROW(Value::Text(t).ToDouble(), db::Error) << t;
    EXPECT_TRUE(Value::Text("true").ToBool());
}

TEST(Text, TrimTakesAsciiBlanksAndTheFullWidthBlankOnlyWhenAsked) {
    const std::string fw = "\xE3\x80\x80";  // U+3000
    const struct {
        std::string in, ascii, withFullWidth;
    } cases[] = {
        {fw + "货号" + fw, fw + "货号" + fw, "货号"},
        {" " + fw + " a b " + fw + "\t", fw + " a b " + fw, "a b"},
        {"\xE3\x80", "\xE3\x80", "\xE3\x80"},  // a cut sequence is no blank
    };
    for (const auto& c : cases) {
        EXPECT_EQ(db::text::Trim(c.in), c.ascii) << c.in;
        EXPECT_EQ(db::text::TrimView(c.in, db::text::FullWidthBlank::Trimmed), c.withFullWidth) << c.in;
    }
}

TEST(Text, Utf16ConversionReplacesEachBadByteAndUnpairedSurrogate) {
    const std::pair<std::string, std::u16string> cases[] = {
        {"a价\xF0\x9F\x98\x80", u"a\u4EF7\xD83D\xDE00"},
        {"\xED\xA0\x80", u"\xFFFD\xFFFD\xFFFD"},  // a surrogate encoded in UTF-8
        {"x\xE4\xB8", u"x\xFFFD\xFFFD"},        // cut at the end
    };
    for (const auto& [utf8, utf16] : cases) EXPECT_EQ(db::text::Utf8ToUtf16(utf8), utf16) << utf8;
    EXPECT_EQ(db::text::Utf16ToUtf8(u"\xD83D\xDE00\u4EF7\u00E9"), "\xF0\x9F\x98\x80价\xC3\xA9");
    EXPECT_EQ(db::text::Utf16ToUtf8(std::u16string(u"a\xDC00") + u"\xD800"), "a\xEF\xBF\xBD\xEF\xBF\xBD");
}
