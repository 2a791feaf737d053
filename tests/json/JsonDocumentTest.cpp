#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "json/JsonDocument.h"
#include "platform/codepage/CodePage.h"
#include "platform/com/Apartment.h"
#include "platform/com/ComponentRegistry.h"
#include "platform/com/script/ScriptControl.h"

// Failures show texts as UTF-8.
void PrintTo(const Text& text, std::ostream* out) {
    *out << '"' << codepage::Utf8FromGbk(text) << '"';
}

namespace {

// One feed page as the service sends it, after the JSONP wrapper is cut off.
const char* const kFeedPage =
    R"({"code":0,"data":{"nickname":"歌手小王","head_img_url":"https://img.example.invalid/a.jpg","ugc_total_count":12,"ugclist":[{"title":"第一首","shareid":"s1"},{"title":"b","shareid":"s2"}]}})";

Text Gbk(const char* utf8) { return codepage::GbkFromUtf8(utf8); }

// Evaluates directly on the document's engine, to look at what the operations left there.
Text EngineEval(const JsonDocument& document, const char* code) {
    return automation::CallMethod<Text>(document.GetEngine(), "Eval", {Text(code)});
}

}  // namespace

TEST(JsonDocumentTest, ANewDocumentHoldsAnEmptyObject) {
    JsonDocument document;
    EXPECT_EQ(document.ToJson(), Text("{}"));
    EXPECT_EQ(document.GetType(), JsonNodeType::Object);
    EXPECT_FALSE(document.GetEngine().IsEmpty());
}

TEST(JsonDocumentTest, ParseTakesStrictJsonOnly) {
    struct Case {
        const char* json;
        bool parsed;
        const char* asJson;  // the value read back ("null" after a failed parse)
    };
    const Case cases[] = {
        {R"({"a":1,"b":[true,null,"x"],"c":{"d":-2.5e3}})", true,
         R"({"a":1,"b":[true,null,"x"],"c":{"d":-2500}})"},
        {R"( [1, "two"] )", true, R"([1,"two"])"},
        {R"("text")", true, R"("text")"},
        {"12", true, "12"},
        {R"({"esc":"q\"b\\s\/n\nt\tu\u4e2d\ud83d\ude00"})", true,
         R"({"esc":"q\"b\\s/n\nt\tu中?"})"},
        {"null", false, "null"},
        {"", false, ""},  // undefined, as a missing node's child
        {"   ", false, "null"},
        {R"({"a":})", false, "null"},
        {"{a:1}", false, "null"},           // script, not JSON
        {"{'a':1}", false, "null"},         // single quotes are not JSON
        {R"({"a":1} x)", false, "null"},    // trailing text
        {R"({"a":1}')", false, "null"},     // an apostrophe cannot end the literal it travels in
        {"'); da = 5; ('", false, "null"},  // nor can a crafted one
        {"while(true){}", false, "null"},   // a page like this once hung the program
        {"(function(){ return {a: 1}; })()", false, "null"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.json);
        JsonDocument document;
        EXPECT_EQ(document.Parse(Gbk(c.json)), c.parsed);
        EXPECT_EQ(document.ToJson(), Gbk(c.asJson));
    }
}

TEST(JsonDocumentTest, ParseNeverRunsTheText) {
    JsonDocument document;
    EXPECT_FALSE(document.Parse(Text("(function(){ ran = 1; return {a: 1}; })()")));
    EXPECT_FALSE(document.Parse(Text(R"({"a":1}); ran = 1; ({"b":2})")));
    EXPECT_FALSE(document.Parse(Text("'); ran = 1; ('")));
    EXPECT_EQ(EngineEval(document, "typeof ran"), Text("undefined"));
    // Bytes of a double-byte character, or a lead byte that forms none, cannot end the literal.
    EXPECT_FALSE(document.Parse(Text("\x81'); ran = 1; ('")));
    EXPECT_FALSE(document.Parse(Text("\xA1\\'); ran = 1; ('")));
    EXPECT_EQ(EngineEval(document, "typeof ran"), Text("undefined"));
    // Nesting past the parser's limit is refused, not a crash.
    EXPECT_FALSE(document.Parse(Text(std::string(5000, '[') + std::string(5000, ']'))));
    EXPECT_TRUE(document.Parse(Text(std::string(500, '[') + std::string(500, ']'))));
}

TEST(JsonDocumentTest, ParseAsLiteralRunsTheCallersOwnScript) {
    JsonDocument document;
    EXPECT_TRUE(document.Parse(Text("{a: 1, b: 'x' + 'y'}"), true));
    EXPECT_EQ(document.GetText(Text("b")), Text("xy"));
    EXPECT_FALSE(document.Parse(Text("null"), true));
    EXPECT_FALSE(document.Parse(Text("undefined"), false));
}

TEST(JsonDocumentTest, ParseReportsTheScriptErrorWhenAsked) {
    JsonDocument document;
    ScriptErrorInfo info;
    EXPECT_FALSE(document.Parse(Text("{\"a\":\n}"), {}, &info));
    EXPECT_EQ(info.number, 1002);
    EXPECT_EQ(info.source, Text("JavaScript runtime error"));
    EXPECT_EQ(info.description, Text("invalid json (at offset 7)"));
    EXPECT_EQ(info.line, 1);
    EXPECT_EQ(info.column, 0);
    EXPECT_EQ(info.helpFile, Text());
    EXPECT_EQ(info.helpContext, 0);

    EXPECT_FALSE(document.Parse(Text("{a:\n\n 'open}"), true, &info));
    EXPECT_EQ(info.number, 1002);
    EXPECT_EQ(info.source, Text("JavaScript compilation error"));
    EXPECT_EQ(info.line, 3);
    EXPECT_EQ(info.text, Text(" 'open}"));
    EXPECT_FALSE(info.description.empty());

    EXPECT_TRUE(document.Parse(Text("{}"), {}, &info));
    EXPECT_EQ(info.number, 0);
    EXPECT_EQ(info.description, Text());
    EXPECT_EQ(info.line, 0);
}

TEST(JsonDocumentTest, ACopySharesTheEngineUntilTheSourceParsesAgain) {
    JsonDocument document;
    ASSERT_TRUE(document.Parse(Text(R"({"a":"1"})")));
    JsonDocument copy = document.Copy();
    EXPECT_EQ(copy.GetEngine(), document.GetEngine());
    copy.SetValue(Text("m"), Text("set through the copy"));
    EXPECT_EQ(document.GetText(Text("m")), Text("set through the copy"));

    ASSERT_TRUE(document.Parse(Text(R"({"a":"2"})")));
    EXPECT_EQ(document.GetText(Text("m")), Text());  // Parse drops what was set before
    EXPECT_EQ(document.GetText(Text("a")), Text("2"));
    EXPECT_EQ(copy.GetText(Text("m")), Text("set through the copy"));  // the old engine lives on
    EXPECT_EQ(copy.GetText(Text("a")), Text("1"));
}

TEST(JsonDocumentTest, TheFeedPageReadsAsTheApplicationReadsIt) {
    JsonDocument page;
    page.Parse(Gbk(kFeedPage));
    JsonDocument data = page.GetNode(Text("data"));
    EXPECT_EQ(data.GetText(Text("nickname")), Gbk("歌手小王"));
    EXPECT_EQ(data.GetText(Text("head_img_url")), Text("https://img.example.invalid/a.jpg"));
    EXPECT_EQ(static_cast<int>(data.GetNumber(Text("ugc_total_count"))), 12);
    EXPECT_EQ(data.GetCount(Text("ugclist")), 2);
    EXPECT_EQ(data.GetType(Text("ugclist")), JsonNodeType::Array);

    JsonDocument list = data.GetNode(Text("ugclist"));
    ASSERT_EQ(list.GetCount(), 2);
    const char* titles[] = {"第一首", "b"};
    const char* shares[] = {"s1", "s2"};
    for (int i = 0; i < 2; ++i) {
        JsonDocument song = list.GetElement(i);
        EXPECT_EQ(song.GetText(Text("title")), Gbk(titles[i]));
        EXPECT_EQ(song.GetText(Text("shareid")), Text(shares[i]));
    }
    EXPECT_EQ(page.GetText(Text("data.ugclist[1].title")), Text("b"));

    // A child is independent of the document it came from.
    data.SetValue(Text("nickname"), Text("changed"));
    EXPECT_EQ(page.GetText(Text("data.nickname")), Gbk("歌手小王"));
    // A missing node gives a child whose reads are all empty.
    JsonDocument missing = page.GetNode(Text("nothing.here"));
    EXPECT_EQ(missing.ToJson(), Text());
    EXPECT_EQ(missing.GetType(), JsonNodeType::Null);
    EXPECT_EQ(missing.GetText(), Text());
    EXPECT_EQ(missing.GetCount(), 0);
    EXPECT_EQ(missing.GetElement(0).GetText(Text("title")), Text());
}

TEST(JsonDocumentTest, ReadsOfEachKindOfNode) {
    JsonDocument document;
    ASSERT_TRUE(document.Parse(Text(
        R"({"s":"text","n":12,"f":0.5,"t":true,"o":{"k":1},"a":[1,"x"],"z":null,"num":"42"})")));
    struct Case {
        const char* path;
        const char* text;
        JsonNodeType type;
        int count;
    };
    const Case cases[] = {
        {"s", "text", JsonNodeType::String, 0},
        {"n", "12", JsonNodeType::Number, 0},
        {"f", "0.5", JsonNodeType::Number, 0},
        {"t", "true", JsonNodeType::Boolean, 0},
        {"o", "[object Object]", JsonNodeType::Object, 0},
        {"a", "1,x", JsonNodeType::Array, 2},
        {"a[1]", "x", JsonNodeType::String, 0},
        {"z", "", JsonNodeType::Null, 0},
        {"missing", "", JsonNodeType::Null, 0},
        {"missing.deeper", "", JsonNodeType::Unknown, 0},
        {"", "[object Object]", JsonNodeType::Object, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(document.GetText(Text(c.path)), Text(c.text));
        EXPECT_EQ(document.GetType(Text(c.path)), c.type);
        EXPECT_EQ(document.GetCount(Text(c.path)), c.count);
    }
    EXPECT_EQ(document.GetNumber(Text("f")), 0.5);
    EXPECT_EQ(document.GetNumber(Text("num")), 42.0);  // a string that spells a number
    EXPECT_EQ(document.GetNumber(Text("s")), 0.0);
    EXPECT_EQ(document.GetNumber(Text("missing")), 0.0);
    EXPECT_EQ(document.GetText(Text("o"), true), Text(R"({"k":1})"));
    EXPECT_EQ(document.GetJson(Text("a")), Text(R"([1,"x"])"));
    EXPECT_TRUE(document.Exists(Text("o.k")));
    EXPECT_FALSE(document.Exists(Text("z")));
}

TEST(JsonDocumentTest, ResolvePathRootsPathsAtTheVariable) {
    JsonDocument document;
    ASSERT_TRUE(document.Parse(Text(R"({"data":{"x":1},"list":[0,1,2]})")));
    struct Case {
        const char* path;
        const char* resolved;
        bool exists;
    };
    const Case cases[] = {
        {"data", "da.data", true},
        {"[2]", "da[2]", false},
        {"", "da", true},
        {"da", "da", true},
        {"da.data.x", "da.data.x", true},
        {"da.x", "da.da.x", false},
        {"list[2]", "da.list[2]", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        Text path(c.path);
        EXPECT_EQ(document.ResolvePath(path), c.exists);
        EXPECT_EQ(path, Text(c.resolved));
    }
}

TEST(JsonDocumentTest, SetValueStoresAnyTextExactly) {
    const char* values[] = {"C:\\x",         "it's",      "say \"hi\"", "line1\r\nline2",
                            "\\\\server\\n", "tab\there", "中文\\字",   "</script>"};
    for (const char* value : values) {
        SCOPED_TRACE(value);
        JsonDocument document;
        document.SetValue(Text("p"), Gbk(value));
        EXPECT_EQ(document.GetText(Text("p")), Gbk(value));
        // Children receive the same text through the JSON they are parsed from.
        EXPECT_EQ(document.GetNode().GetText(Text("p")), Gbk(value));
        EXPECT_EQ(document.GetNode(Text("p")).GetText(), Gbk(value));
        // The JSON forms stay JSON that parses back to the same value.
        JsonDocument reparsed;
        ASSERT_TRUE(reparsed.Parse(document.ToJson()));
        EXPECT_EQ(reparsed.GetText(Text("p")), Gbk(value));
    }
}

TEST(JsonDocumentTest, BackslashesAreKeptAsU2400InsideTheEngine) {
    JsonDocument document;
    EXPECT_FALSE(document.SetValue(Text("p"), Text("C:\\x")));  // a text does not read as a bool
    EXPECT_EQ(EngineEval(document, "da.p.charCodeAt(2) == 9216 && da.p.length == 4 ? 'y' : 'n'"),
              Text("y"));
    EXPECT_EQ(document.GetText(Text("p")), Text("C:\\x"));
    EXPECT_EQ(document.GetJson(Text("p")), Text(R"("C:\\x")"));
    EXPECT_EQ(document.GetText(Text("p"), true), Text(R"("C:\\x")"));
}

TEST(JsonDocumentTest, SetValueAsScriptMergesIntoObjectsAndReplacesTheRest) {
    JsonDocument document;
    ASSERT_TRUE(document.Parse(Text(
        R"({"o":{"s":"old","b":false,"n":1,"nul":null,"inner":{"keep":1,"x":1}},"str":"s"})")));
    document.SetValue(Text("o"),
                      Text("{s: 'new', b: true, n: 2, nul: 3, added: 'a', inner: {x: 2, y: 3}}"),
                      true);
    EXPECT_EQ(document.GetJson(Text("o")),
              Text(R"({"s":"new","b":true,"n":2,"nul":3,"inner":{"keep":1,"x":2,"y":3},)"
                   R"("added":"a"})"));
    document.SetValue(Text("str"), Text("{k: 1}"), true);  // not an object: replaced
    EXPECT_EQ(document.GetJson(Text("str")), Text(R"({"k":1})"));
    document.SetValue(Text("fresh"), Text("[1, 2]"), true);  // missing: created
    EXPECT_EQ(document.GetJson(Text("fresh")), Text("[1,2]"));
    document.SetValue(Text("empty"), Text(), true);  // an empty script value is {}
    EXPECT_EQ(document.GetJson(Text("empty")), Text("{}"));
    EXPECT_TRUE(document.SetExpression(Text("sum"), Text("'1 + 2'")));
    EXPECT_EQ(document.GetNumber(Text("sum")), 3.0);
}

TEST(JsonDocumentTest, MemberNamesLeaveOutTheAddedFunctions) {
    JsonDocument document;
    ASSERT_TRUE(document.Parse(Text(R"({"a":1,"":0,"b":{"c":2},"d":"x"})")));
    // The two methods are there, and enumerable, on every object.
    EXPECT_EQ(EngineEval(document, "var seen = ''; for (var k in {}) seen += k + ';'; seen"),
              Text("toJSONString;parseJSON;"));
    EXPECT_EQ(EngineEval(document, "({x: 1}).toJSONString() + '1'.parseJSON()"),
              Text(R"({"x":1}1)"));
    std::vector<Text> names = {Text("stale")};
    EXPECT_EQ(document.GetMemberNames(names), 4);
    EXPECT_EQ(names, (std::vector<Text>{Text("a"), Text(""), Text("b"), Text("d")}));
    EXPECT_EQ(document.GetMemberNames(names, Text("b")), 1);
    EXPECT_EQ(document.GetMemberNames(names, Text("d")), 0);
    EXPECT_TRUE(names.empty());
}

TEST(JsonDocumentTest, LeafValuesInForInOrder) {
    JsonDocument document;
    ASSERT_TRUE(document.Parse(
        Gbk(R"({"a":"x","b":2,"c":true,"d":{"e":"中"},"f":[1,"z"],"g":null,"h":0.5})")));
    std::vector<Text> values = {Text("stale")};
    EXPECT_EQ(document.GetLeafValues(values), 4);
    EXPECT_EQ(values, (std::vector<Text>{Text("x"), Text("2"), Text("true"), Text("0.5")}));
    EXPECT_EQ(document.GetLeafValues(values, Text(), true), 7);
    EXPECT_EQ(values, (std::vector<Text>{Text("x"), Text("2"), Text("true"), Gbk("中"), Text("1"),
                                         Text("z"), Text("0.5")}));
    EXPECT_EQ(document.GetLeafValues(values, Text("f")), 2);

    ASSERT_TRUE(document.Parse(Text(R"({"a":"x","b":"","c":"y","d":""})")));
    EXPECT_EQ(document.GetLeafValues(values), 3);  // the empty last value is dropped
    EXPECT_EQ(values, (std::vector<Text>{Text("x"), Text(""), Text("y")}));
}

TEST(JsonDocumentTest, ArrayOperations) {
    JsonDocument document;
    ASSERT_TRUE(document.Parse(Text(R"({"obj":{"k":1},"list":["a",2,{"x":1}]})")));
    EXPECT_TRUE(document.AddElement(Text("first"), Text("obj")));  // an object becomes an array
    EXPECT_EQ(document.GetJson(Text("obj")), Text(R"(["first"])"));
    EXPECT_TRUE(document.AddElement(Text("front"), Text("obj"), false, true));
    EXPECT_TRUE(document.AddElement(Text("{n: 1}"), Text("obj"), true));
    EXPECT_EQ(document.GetJson(Text("obj")), Text(R"(["front","first",{"n":1}])"));
    // A text value is stored exactly, never run.
    EXPECT_TRUE(document.AddElement(Text("it's'); ran = 1; ('"), Text("obj")));
    EXPECT_EQ(document.GetElementText(3, Text("obj")), Text("it's'); ran = 1; ('"));
    EXPECT_EQ(EngineEval(document, "typeof ran"), Text("undefined"));

    EXPECT_EQ(document.GetElementText(0, Text("list")), Text("a"));
    EXPECT_EQ(document.GetElementText(1, Text("list")), Text());  // not a string
    EXPECT_EQ(document.GetElementText(2, Text("list"), true), Text(R"({"x":1})"));
    EXPECT_EQ(document.GetElement(2, Text("list")).GetNumber(Text("x")), 1.0);
    EXPECT_EQ(document.GetElementText(9, Text("list")), Text());

    EXPECT_TRUE(document.SetElement(1, Text("list"), Text("3"), true));
    EXPECT_FALSE(document.SetElement(0, Text("list"), Text("a\\b")));  // a text: false, but set
    EXPECT_EQ(document.GetElementText(0, Text("list")), Text("a\\b"));
    EXPECT_FALSE(document.RemoveElement(2, Text("list")));  // the removed array is no boolean
    EXPECT_EQ(document.GetJson(Text("list")), Text(R"(["a\\b",3])"));
    EXPECT_EQ(document.GetCount(Text("list")), 2);
}

TEST(JsonDocumentTest, MembersNumbersAndClearing) {
    JsonDocument document;
    ASSERT_TRUE(document.Parse(Text(R"({"a":1,"b":{"c":2}})")));
    EXPECT_TRUE(document.DeleteMember(Text("b.c")));
    EXPECT_EQ(document.GetJson(Text("b")), Text("{}"));
    for (const double number : {0.1, -5.0, 1e300, 123456789012.25, 5e-324}) {
        SCOPED_TRACE(number);
        EXPECT_TRUE(document.SetNumber(Text("n"), number));
        EXPECT_EQ(document.GetNumber(Text("n")), number);
    }
    EXPECT_FALSE(document.SetNumber(Text("n"), 0.0));  // the value 0 reads as false
    EXPECT_EQ(document.GetType(Text("n")), JsonNodeType::Number);
    EXPECT_FALSE(document.Clear());  // the assigned object is no boolean
    EXPECT_EQ(document.ToJson(), Text("{}"));
}

TEST(JsonDocumentTest, ChineseTextRoundTripsAsGbk) {
    JsonDocument document;
    const Text json = Gbk(R"({"名字":"周杰伦 · 七里香","list":["一","二"]})");
    ASSERT_TRUE(document.Parse(json));
    EXPECT_EQ(document.GetText(Gbk("名字")), Gbk("周杰伦 · 七里香"));
    EXPECT_EQ(document.ToJson(), json);
    document.SetValue(Text("more"), Gbk("中文（全角）"));
    EXPECT_EQ(document.GetText(Text("more")), Gbk("中文（全角）"));
    EXPECT_EQ(document.GetNode(Text("list")).GetElementText(1), Gbk("二"));
    // A character GBK cannot hold comes back as "?".
    ASSERT_TRUE(document.Parse(Text(R"({"e":"\u0e01"})")));
    EXPECT_EQ(document.GetText(Text("e")), Text("?"));
}

TEST(JsonDocumentTest, DocumentsBalanceTheirApartments) {
    ASSERT_FALSE(com::HasApartment());
    {
        JsonDocument document;
        EXPECT_TRUE(com::HasApartment());
        JsonDocument copy = document.Copy();
        JsonDocument moved = std::move(document);
        moved = document.Copy();  // a copy of a moved-from document: no engine
        EXPECT_TRUE(moved.GetEngine().IsEmpty());
        EXPECT_FALSE(moved.Parse(Text("{}")));
        EXPECT_TRUE(copy.Parse(Text(R"({"a":1})")));
        EXPECT_EQ(copy.GetNode().GetElement(0).GetText(), Text());
    }
    EXPECT_FALSE(com::HasApartment());
}

TEST(JsonDocumentTest, AWorkerThreadUsesDocumentsInItsOwnApartment) {
    JsonDocument page;  // made here, parsed on the worker, as the application does
    bool workerOk = false;
    bool workerBalanced = false;
    std::thread([&] {
        ComInitialize();
        {
            JsonDocument own;
            workerOk =
                own.Parse(Gbk(kFeedPage)) && page.Parse(Gbk(kFeedPage)) &&
                own.GetNode(Text("data")).GetCount(Text("ugclist")) == 2 &&
                page.GetElement(1, Text("data.ugclist")).GetText(Text("shareid")) == Text("s2");
        }
        ComUninitialize();
        workerBalanced = !com::HasApartment();
    }).join();
    EXPECT_TRUE(workerOk);
    EXPECT_TRUE(workerBalanced);
    // Back on its home thread the document reads what the worker parsed.
    EXPECT_EQ(page.GetText(Text("data.ugclist[0].shareid")), Text("s1"));
}

TEST(JsonDocumentTest, ParsingOnAThreadWithoutAnApartmentLeavesTheDocumentWithoutAnEngine) {
    JsonDocument document;
    bool parsed = true;
    std::thread([&] { parsed = document.Parse(Text("{}")); }).join();
    EXPECT_FALSE(parsed);
    EXPECT_TRUE(document.GetEngine().IsEmpty());
    EXPECT_FALSE(document.Parse(Text("{}")));  // for good, as after a failed creation
}

TEST(JsonDocumentTest, WithoutAnEngineEverythingIsEmpty) {
    { JsonDocument registersTheComponents; }
    com::RegisterComponent("MSScriptControl.ScriptControl", [] { return nullptr; });
    {
        JsonDocument document;
        ScriptErrorInfo info{.number = 99};
        EXPECT_FALSE(document.Parse(Text("{}"), {}, &info));
        EXPECT_EQ(info.number, 0);
        EXPECT_EQ(document.ToJson(), Text());
        EXPECT_EQ(document.GetType(), JsonNodeType::Unknown);
        EXPECT_FALSE(document.SetValue(Text("a"), Text("1"), true));
        EXPECT_EQ(document.GetNode().GetText(), Text());
        EXPECT_TRUE(document.GetEngine().IsEmpty());
        std::vector<Text> names = {Text("stale")};
        EXPECT_EQ(document.GetMemberNames(names), 0);
        EXPECT_TRUE(names.empty());
    }
    com::RegisterScriptControl();
    JsonDocument restored;
    EXPECT_EQ(restored.ToJson(), Text("{}"));
}
