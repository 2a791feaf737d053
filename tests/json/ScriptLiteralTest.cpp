#include <gtest/gtest.h>

#include "json/ScriptLiteral.h"
#include "platform/codepage/CodePage.h"

using json::ScriptWithString;

TEST(ScriptLiteralTest, EveryCharacterThatCouldEndOrBendTheLiteralIsEscaped) {
    struct Case {
        Text value;
        std::u16string literal;
    };
    const Case cases[] = {
        {Text("plain"), u"'plain'"},
        {Text(R"(a'b"c\d)"), uR"('a\'b\"c\\d')"},
        {Text("cr\rlf\ntab\t\x01"), u"'cr\\rlf\\ntab\\u0009\\u0001'"},
        {"中文"_gbk, u"'\u4E2D\u6587'"},
        {Text("\x81\x5C"), u"'\u4E57'"},       // 0x5C as the second byte of a character
        {Text("\x81'"), u"'?\\''"},            // a lead byte with no character to form
        {Text("\xA1\x5C'x"), u"'?\\\\\\'x'"},  // a pair GBK does not define
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ScriptWithString(Text("f("), c.value, Text(")")), u"f(" + c.literal + u")");
    }
}
