#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "http/Base64.h"
#include "http/CookieText.h"
#include "http/HeaderText.h"
#include "http/RequestParameters.h"
#include "platform/codepage/CodePage.h"

using namespace http;

namespace {

struct Case {
    const char* name;
    std::string input;
    std::string expected;
};

}  // namespace

TEST(MethodNamesTest, OutOfRangeNumbersBecomeGet) {
    EXPECT_EQ(MethodName(1), Text("POST"));
    EXPECT_EQ(MethodName(7), Text("CONNECT"));
    EXPECT_EQ(MethodName(8), Text("GET"));
    EXPECT_EQ(MethodName(-1), Text("GET"));
    EXPECT_EQ(MethodNumber(std::nullopt), 0);
    EXPECT_EQ(MethodNumber(9), 0);
}

TEST(NormalizeHeaderBlockTest, CapitalizesEveryWordOfTheNameOnly) {
    const std::vector<Case> cases = {
        {"simple", "content-type: text", "Content-Type: text"},
        {"upper case stays", "ACCEPT:x", "ACCEPT:x"},
        {"three words", "x-requested-with:1", "X-Requested-With:1"},
        {"value untouched", "a: b-c-d", "A: b-c-d"},
        {"trailing dash", "a-:1", "A-:1"},
        {"leading dash", "-x:1", "-X:1"},
        {"empty first line dropped", "\r\naccept: */*\r\nreferer: x", "Accept: */*\r\nReferer: x"},
        {"lines without colon dropped", "junk\r\nhost:h\r\n\r\nmore junk", "Host:h"},
        {"no colon at all", "abc\r\ndef", ""},
        {"no spaces added or removed", "  a :  b  \r\nc:d\r\n", "  a :  b  \r\nC:d"},
        {"empty", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NormalizeHeaderBlock(Text(c.input)), Text(c.expected)) << c.name;
    }
}

TEST(NormalizeHeaderBlockTest, LeavesDoubleByteNamesAlone) {
    const Text block = "名-a:1"_gbk;
    EXPECT_EQ(NormalizeHeaderBlock(block), "名-A:1"_gbk);
}

TEST(HeaderLineTest, NameAndValueAreTrimmedAroundTheFirstColon) {
    struct Line {
        const char* line;
        const char* name;
        const char* value;
    };
    const std::vector<Line> lines = {
        {"Host:", "Host", ""},
        {" : x", "", "x"},
        {"Referer: a:b", "Referer", "a:b"},
        {"no colon", "", ""},
        {"  Accept  :  */*  ", "Accept", "*/*"},
    };
    for (const Line& l : lines) {
        EXPECT_EQ(HeaderName(Text(l.line)), Text(l.name)) << l.line;
        EXPECT_EQ(HeaderValue(Text(l.line)), Text(l.value)) << l.line;
    }
    EXPECT_EQ(HeaderValue("A:　x　"_gbk), Text("x"));  // full-width spaces trimmed
    EXPECT_EQ(CapitalizeFirst(Text("abc")), Text("Abc"));
    EXPECT_EQ(CapitalizeFirst(Text("1bc")), Text("1bc"));
    EXPECT_EQ(CapitalizeFirst(Text()), Text());
}

TEST(TextLeftOfTest, StartPositionChoosesFirstOrLastOccurrence) {
    const Text line("a: b: c: d");
    EXPECT_EQ(TextLeftOf(line, Text(": ")), Text("a"));
    EXPECT_EQ(TextLeftOf(line, Text(": "), 3), Text("a: b"));
    EXPECT_EQ(TextLeftOf(line, Text(": "), -1), Text("a: b: c"));
    // Without its last 4 bytes the text is "a: b: " and its last ": " is at byte 5.
    EXPECT_EQ(TextLeftOf(line, Text(": "), -4), Text("a: b"));
    EXPECT_EQ(TextLeftOf(line, Text(": "), -20), Text());
    EXPECT_EQ(TextLeftOf(line, Text("x")), Text());
    EXPECT_EQ(TextLeftOf(Text("Set-Cookie: a"), Text("COOKIE"), 0, text::Case::Ignore),
              Text("Set-"));
    // A marker never matches on the second byte of a double-byte character.
    EXPECT_EQ(TextLeftOf(Text("\xB0\x41\x41"), Text("A")), Text("\xB0\x41"));
}

TEST(TextBetweenTest, CutsBetweenMarkers) {
    EXPECT_EQ(TextBetween(Text("Set-Cookie: k=v; path=/"), Text("Set-Cookie:"), Text(";")),
              Text(" k=v"));
    EXPECT_EQ(TextBetween(Text("Set-Cookie: k=v"), Text("Set-Cookie:"), Text(";")), Text());
    EXPECT_EQ(TextBetween(Text("<a=\"x\">"), "#引号"_gbk, "#引号"_gbk), Text("x"));
    EXPECT_EQ(TextBetween(Text("[][x]"), Text("["), Text("]")), Text());
    EXPECT_EQ(TextBetween(Text("[a][b]"), Text("["), Text("]"), 3), Text("b"));
    EXPECT_EQ(TextBetween(Text("HTTPS://h/"), Text("https://"), Text("/"), 0, text::Case::Ignore),
              Text("h"));
    EXPECT_EQ(TextBetween(Text("abc"), Text(), Text("c")), Text());
}

TEST(CollectResponseCookiesTest, TakesExactlySpelledSetCookieLines) {
    const std::vector<Case> cases = {
        {"attributes cut", "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2",
         "a=1; b=2; "},
        {"lower case line ignored", "set-cookie: a=1\r\nSet-Cookie: b=2\r\n", "b=2; "},
        {"no space after colon ignored", "Set-Cookie:x=1\r\nSet-Cookie: y=2", "y=2; "},
        {"deleted kept", "Set-Cookie: c=deleted; expires=Thu, 01 Jan 1970", "c=deleted; "},
        {"repeats kept", "Set-Cookie: a=1\r\nSet-Cookie: a=1", "a=1; a=1; "},
        {"none", "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CollectResponseCookies(Text(c.input)), Text(c.expected)) << c.name;
    }
}

TEST(MergeCookiesTest, NewerCookiesWinAndDeletedOnesGo) {
    struct Merge {
        const char* name;
        const char* sent;
        const char* received;
        const char* merged;
    };
    const std::vector<Merge> merges = {
        {"example", "a=1; b=2", "b=3; c=deleted", "b=3; a=1"},
        {"empty sent", "", "x=1; ", "x=1"},
        {"empty received", "x=1;", "", "x=1"},
        {"deleted removes a sent cookie", "x=1", "x=deleted", ""},
        {"old items carried behind", "a=0; c=3", "a=1; b=2", "a=1; b=2; c=3"},
        {"exact repeats removed", "", "a=1; a=1; b=2", "a=1; b=2"},
        {"both empty", "", "", ""},
    };
    for (const Merge& m : merges) {
        Text sent(m.sent);
        Text received(m.received);
        EXPECT_EQ(MergeCookies(&sent, &received), Text(m.merged)) << m.name;
        EXPECT_EQ(sent, Text(m.merged)) << m.name;
    }
}

TEST(MergeCookiesTest, TidiesTheReceivedVariable) {
    Text sent("a=1");
    Text received("  b=2;  ");
    MergeCookies(&sent, &received);
    EXPECT_EQ(received, Text("b=2; "));
    EXPECT_EQ(sent, Text("b=2; a=1"));
}

TEST(CookieItemsTest, NamesAndPositions) {
    EXPECT_EQ(CookieName(Text(" sid = 1=2")), Text("sid"));
    EXPECT_EQ(CookieName(Text(" flag ")), Text("flag"));
    const std::vector<Text> items = {Text("a=1"), Text("b=2"), Text("a=1")};
    EXPECT_TRUE(HasCookieNamed(items, Text("b")));
    EXPECT_FALSE(HasCookieNamed(items, Text("B")));
    EXPECT_EQ(FindItem(items, Text("a=1")), 1);
    EXPECT_EQ(FindItem(items, Text("b=2")), 2);
    EXPECT_EQ(FindItem(items, Text("c")), -1);
    EXPECT_EQ(RemoveDuplicateItems(Text("a=1; a=1; b=2"), Text("; ")), Text("a=1; b=2"));
    EXPECT_EQ(RemoveDuplicateItems(Text("a=1; a=2"), Text("; ")), Text("a=1; a=2"));
    EXPECT_EQ(RemoveDuplicateItems(Text("x,,x,"), Text(",")), Text("x,"));
    EXPECT_EQ(RemoveDuplicateItems(Text(), Text("; ")), Text());
}

TEST(Base64EncodeTest, MatchesRfc4648Vectors) {
    const std::vector<Case> cases = {
        {"empty", "", ""},
        {"f", "f", "Zg=="},
        {"fo", "fo", "Zm8="},
        {"foo", "foo", "Zm9v"},
        {"foob", "foob", "Zm9vYg=="},
        {"fooba", "fooba", "Zm9vYmE="},
        {"foobar", "foobar", "Zm9vYmFy"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Base64Encode(ByteSet(c.input.begin(), c.input.end())), Text(c.expected))
            << c.name;
    }
    EXPECT_EQ(Base64Encode(ByteSet{0xFF, 0xFE, 0x00}), Text("//4A"));
}
