#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "automation/Automation.h"
#include "platform/codepage/CodePage.h"
#include "platform/com/Apartment.h"

using automation::CallMethod;
using automation::GetProperty;
using automation::ObjectRef;
using automation::SetProperty;

namespace {

using namespace std::literals;

ByteSet Bytes(std::string_view s) { return ByteSet(s.begin(), s.end()); }

class TextStreamTest : public ::testing::Test {
protected:
    void SetUp() override { ComInitialize(); }
    void TearDown() override { ComUninitialize(); }

    // The page re-reading sequence: bytes written in binary, read back as text in `charset`.
    // Empty when ReadText failed.
    static std::optional<std::u16string> ReadAs(std::string_view bytes, const char* charset) {
        ObjectRef stream = automation::CreateObject(Text("Adodb.Stream"));
        EXPECT_FALSE(stream.IsEmpty());
        EXPECT_TRUE(SetProperty(stream, "Type", 1));
        EXPECT_TRUE(SetProperty(stream, "Mode", 3));
        CallMethod(stream, "Open");
        CallMethod(stream, "Write", {Bytes(bytes)});
        EXPECT_TRUE(SetProperty(stream, "Position", 0));
        EXPECT_TRUE(SetProperty(stream, "Type", 2));
        EXPECT_TRUE(SetProperty(stream, "Charset", Text(charset)));
        const auto text = automation::Invoke(stream, "ReadText", com::InvokeKind::Method, {});
        CallMethod(stream, "Close");
        if (!text) return std::nullopt;
        const auto* wide = std::get_if<std::u16string>(&text->raw());
        EXPECT_NE(wide, nullptr);
        return wide ? *wide : u"";
    }
};

}  // namespace

TEST_F(TextStreamTest, DecodesBytesInTheNamedCharset) {
    struct Case {
        const char* charset;
        std::string_view bytes;
        std::u16string expected;
    } cases[] = {
        {"utf-8", "\xE4\xB8\xAD\xE6\x96\x87 ok", u"中文 ok"},
        {"UTF-8", "\xEF\xBB\xBF\xE4\xB8\xAD", u"中"},  // the byte-order mark is skipped
        {"  Utf-8 ", "a", u"a"},
        {"gbk", "\xD6\xD0\xCE\xC4", u"中文"},
        {"GB2312", "\xD6\xD0\xCE\xC4", u"中文"},
        {"gb18030", "\xD6\xD0\x81\x30\x81\x30\x94\x39\xFC\x36", u"中\u0080\U0001F600"},
        {"big5", "\xA4\xA4\xA4\xE5", u"中文"},
        {"shift_jis", "\x93\xFA\x96\x7B", u"日本"},
        {"euc-kr", "\xC7\xD1\xB1\xB9", u"한국"},
        {"iso-8859-1", "caf\xE9 \x80", u"café €"},
        {"windows-1251", "\xCF\xF0\xE8", u"При"},
        {"unicode", "\xFF\xFE\x2D\x4E\x87\x65", u"中文"},
        {"utf-16be", "\x4E\x2D", u"中"},
        {"utf-8", "", u""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadAs(c.bytes, c.charset), c.expected) << c.charset;
    }
}

TEST_F(TextStreamTest, SequencesThatDoNotDecodeBecomeReplacementCharacters) {
    struct Case {
        const char* name;
        const char* charset;
        std::string_view bytes;
        std::u16string expected;
    } cases[] = {
        {"invalid utf-8 byte", "utf-8",
         "a\xFF"
         "b",
         u"a\uFFFDb"},
        {"utf-8 cut off at the end", "utf-8", "a\xE4\xB8", u"a\uFFFD"},
        {"encoded surrogate", "utf-8", "\xED\xA0\x80z", u"\uFFFD\uFFFD\uFFFDz"},
        {"gbk lead byte before ASCII", "gbk", "\x81 x\xD6\xD0", u"\uFFFD x中"},
        {"gbk lead byte at the end", "gbk", "x\xD6", u"x\uFFFD"},
        {"lone surrogate in utf-16", "unicode", "\x00\xD8\x41\x00"sv, u"\uFFFDA"},
        {"odd utf-16 byte", "unicode", "\x41\x00\x42"sv, u"A\uFFFD"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadAs(c.bytes, c.charset), c.expected) << c.name;
    }
}

TEST_F(TextStreamTest, AnUnknownCharsetFailsTheRead) {
    EXPECT_EQ(ReadAs("abc", "x-no-such-charset"), std::nullopt);
    EXPECT_EQ(ReadAs("abc", "utf-8//IGNORE"), std::nullopt);
    EXPECT_EQ(ReadAs("abc", ""), std::nullopt);
}

TEST_F(TextStreamTest, TextReadThroughAutomationArrivesAsGbk) {
    ObjectRef stream = automation::CreateObject(Text("ADODB.Stream"));
    SetProperty(stream, "Type", 1);
    CallMethod(stream, "Open");
    CallMethod(stream, "Write", {Bytes("\xE6\xAD\x8C\xE6\x9B\xB2 \xF0\x9F\x98\x80")});
    SetProperty(stream, "Position", 0);
    SetProperty(stream, "Type", 2);
    SetProperty(stream, "Charset", Text("utf-8"));
    // A character GBK cannot hold becomes "?".
    EXPECT_EQ(CallMethod<Text>(stream, "ReadText"), "歌曲 ?"_gbk);
}

TEST_F(TextStreamTest, ReadsFromThePositionToTheEnd) {
    ObjectRef stream = automation::CreateObject(Text("Adodb.Stream"));
    SetProperty(stream, "Type", 1);
    CallMethod(stream, "Open");
    CallMethod(stream, "Write",
               {Bytes("\xEF\xBB\xBF"
                      "abc")});
    CallMethod(stream, "Write", {Bytes("de")});
    EXPECT_EQ(GetProperty<int>(stream, "Position"), 8);
    ASSERT_TRUE(SetProperty(stream, "Position", 0));
    ASSERT_TRUE(SetProperty(stream, "Type", 2));
    SetProperty(stream, "Charset", Text("utf-8"));
    ASSERT_TRUE(SetProperty(stream, "Position", 4));
    EXPECT_EQ(CallMethod<Text>(stream, "ReadText", {-1}), Text("bcde"));
    EXPECT_EQ(GetProperty<int>(stream, "Position"), 8);
    EXPECT_EQ(CallMethod<Text>(stream, "ReadText"), Text());
}

TEST_F(TextStreamTest, RefusesWhatTheStreamCannotDo) {
    using K = com::InvokeKind;
    ObjectRef stream = automation::CreateObject(Text("Adodb.Stream"));
    EXPECT_EQ(GetProperty<int>(stream, "Type"), 2);
    EXPECT_EQ(GetProperty<Text>(stream, "Charset"), Text("Unicode"));
    // Closed: no reads, writes or positions.
    EXPECT_FALSE(automation::Invoke(stream, "ReadText", K::Method, {}));
    EXPECT_FALSE(automation::Invoke(stream, "Write", K::Method, {Bytes("a")}));
    EXPECT_FALSE(SetProperty(stream, "Position", 0));
    EXPECT_FALSE(automation::Invoke(stream, "Close", K::Method, {}));
    EXPECT_FALSE(automation::Invoke(stream, "Open", K::Method, {Text("C:\\file.txt")}));

    EXPECT_FALSE(SetProperty(stream, "Type", 3));
    ASSERT_TRUE(SetProperty(stream, "Type", 1));
    ASSERT_TRUE(automation::Invoke(stream, "Open", K::Method, {}));
    EXPECT_FALSE(automation::Invoke(stream, "Open", K::Method, {}));
    EXPECT_FALSE(SetProperty(stream, "Mode", 3));
    EXPECT_FALSE(automation::Invoke(stream, "ReadText", K::Method, {}));        // binary
    EXPECT_FALSE(automation::Invoke(stream, "Write", K::Method, {Text("a")}));  // not bytes
    ASSERT_TRUE(automation::Invoke(stream, "Write", K::Method, {Bytes("ab")}));
    EXPECT_FALSE(SetProperty(stream, "Type", 2));  // only at position 0
    EXPECT_FALSE(SetProperty(stream, "Position", 3));
    EXPECT_FALSE(SetProperty(stream, "Position", -1));
    ASSERT_TRUE(SetProperty(stream, "Position", 0));
    ASSERT_TRUE(SetProperty(stream, "Type", 2));
    EXPECT_FALSE(automation::Invoke(stream, "Write", K::Method, {Bytes("c")}));  // text
    SetProperty(stream, "Charset", Text("us-ascii"));
    EXPECT_FALSE(automation::Invoke(stream, "ReadText", K::Method, {5}));
    EXPECT_EQ(CallMethod<Text>(stream, "ReadText"), Text("ab"));

    // Closing drops the bytes; a new Open starts empty.
    ASSERT_TRUE(automation::Invoke(stream, "Close", K::Method, {}));
    ASSERT_TRUE(automation::Invoke(stream, "Open", K::Method, {}));
    EXPECT_EQ(CallMethod<Text>(stream, "ReadText"), Text());
}

TEST_F(TextStreamTest, DecodesLargeInputs) {
    const std::string_view line = "<li>\xE6\xAD\x8C\xE6\x9B\xB2 song</li>\n";
    const std::u16string decodedLine = u"<li>歌曲 song</li>\n";
    std::string page;
    while (page.size() < 10 * 1024 * 1024) page += line;
    const std::size_t lines = page.size() / line.size();
    page += "\xE4";  // cut off
    const auto text = ReadAs(page, "utf-8");
    ASSERT_TRUE(text.has_value());
    ASSERT_EQ(text->size(), lines * decodedLine.size() + 1);
    EXPECT_EQ(text->substr(0, decodedLine.size()), decodedLine);
    EXPECT_EQ(text->substr(text->size() - decodedLine.size() - 1), decodedLine + u"\uFFFD");
}
