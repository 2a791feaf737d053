#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "automation/Automation.h"
#include "platform/com/Apartment.h"

using automation::CallMethod;
using automation::GetProperty;
using automation::ObjectRef;
using automation::SetProperty;

namespace {

automation::Variant Wide(std::u16string s) {
    return automation::Variant(com::Variant{std::move(s)});
}

std::u16string AsWide(const automation::Variant& v) {
    const auto* s = std::get_if<std::u16string>(&v.raw());
    return s ? *s : u"<not a string>";
}

struct Found {
    int firstIndex;
    std::u16string value;
    friend bool operator==(const Found&, const Found&) = default;
};

std::ostream& operator<<(std::ostream& os, const Found& f) {
    os << f.firstIndex << ":";
    for (char16_t c : f.value) os << (c < 0x80 ? static_cast<char>(c) : '?');
    return os;
}

class RegExpTest : public ::testing::Test {
protected:
    void SetUp() override { ComInitialize(); }
    void TearDown() override { ComUninitialize(); }

    ObjectRef Make(std::u16string pattern, bool ignoreCase = false, bool multiline = false,
                   bool global = false) {
        ObjectRef re = automation::CreateObject(Text("VBScript.RegExp"));
        EXPECT_TRUE(SetProperty(re, "Pattern", Wide(std::move(pattern))));
        EXPECT_TRUE(SetProperty(re, "IgnoreCase", ignoreCase));
        EXPECT_TRUE(SetProperty(re, "Multiline", multiline));
        EXPECT_TRUE(SetProperty(re, "Global", global));
        return re;
    }

    // Every match of an Execute, or nullopt when the call failed.
    static std::optional<std::vector<Found>> Execute(const ObjectRef& re, std::u16string subject) {
        const auto result =
            automation::Invoke(re, "Execute", com::InvokeKind::Method, {Wide(std::move(subject))});
        if (!result) return std::nullopt;
        const ObjectRef matches = result->AsObject();
        std::vector<Found> found;
        const int count = GetProperty<int>(matches, "Count");
        for (int i = 0; i < count; ++i) {
            const ObjectRef m = GetProperty<ObjectRef>(matches, "Item", {i});
            const std::u16string value = AsWide(GetProperty<automation::Variant>(m, "Value"));
            EXPECT_EQ(GetProperty<int>(m, "Length"), static_cast<int>(value.size()));
            found.push_back({GetProperty<int>(m, "FirstIndex"), value});
        }
        return found;
    }

    static std::optional<std::u16string> Replace(const ObjectRef& re, std::u16string subject,
                                                 std::u16string replacement) {
        const auto result =
            automation::Invoke(re, "Replace", com::InvokeKind::Method,
                               {Wide(std::move(subject)), Wide(std::move(replacement))});
        if (!result) return std::nullopt;
        return AsWide(*result);
    }
};

}  // namespace

TEST_F(RegExpTest, StartsWithTheVBScriptDefaults) {
    ObjectRef re = automation::CreateObject(Text("vbscript.regexp"));
    ASSERT_FALSE(re.IsEmpty());
    EXPECT_FALSE(GetProperty<bool>(re, "IgnoreCase"));
    EXPECT_FALSE(GetProperty<bool>(re, "Multiline"));
    EXPECT_FALSE(GetProperty<bool>(re, "Global"));
    EXPECT_EQ(AsWide(GetProperty<automation::Variant>(re, "Pattern")), u"");
    // The empty pattern matches the empty text at the start.
    EXPECT_EQ(Execute(re, u"abc"), (std::vector<Found>{{0, u""}}));
}

TEST_F(RegExpTest, ExecuteFollowsEcmaScriptMatching) {
    struct Case {
        const char* name;
        std::u16string pattern;
        std::u16string subject;
        bool ignoreCase, multiline, global;
        std::vector<Found> expected;
    } cases[] = {
        {"case matters by default", u"ab", u"AB ab", false, false, true, {{3, u"ab"}}},
        {"ignore case", u"ab", u"AB ab", true, false, true, {{0, u"AB"}, {3, u"ab"}}},
        {"first match only without global", u"a", u"aaa", false, false, false, {{0, u"a"}}},
        {"line anchors with LF",
         u"^\\w+$",
         u"one\ntwo",
         false,
         true,
         true,
         {{0, u"one"}, {4, u"two"}}},
        {"line anchors with CRLF",
         u"^\\w+$",
         u"one\r\ntwo\r\n",
         false,
         true,
         true,
         {{0, u"one"}, {5, u"two"}}},
        {"no line anchors without multiline", u"^\\w+$", u"one\ntwo", false, false, true, {}},
        {"dollar only at the very end", u"c$", u"abc\n", false, false, true, {}},
        {"dot stops at CR and LF", u"a.+", u"abc\rdef\nghi", false, false, true, {{0, u"abc"}}},
        {"lazy quantifier", u"<.+?>", u"<a><b>", false, false, true, {{0, u"<a>"}, {3, u"<b>"}}},
        {"unicode escape", u"\\u4E2D.", u"x中文", false, false, true, {{1, u"中文"}}},
        {"hex escape", u"\\x41+", u"bAAb", false, false, true, {{1, u"AA"}}},
        {"word class is ASCII", u"\\w+", u"中文abc_1", false, false, true, {{2, u"abc_1"}}},
        {"back reference to an unset group is empty",
         u"(a)?b\\1c",
         u"bc",
         false,
         false,
         true,
         {{0, u"bc"}}},
        {"[^] is any unit", u"a[^]b", u"a\nb", false, false, true, {{0, u"a\nb"}}},
        {"[] never matches", u"a[]", u"a", false, false, true, {}},
        {"unknown escape is the letter", u"\\q", u"q", false, false, true, {{0, u"q"}}},
        {"a surrogate pair is two units",
         u".a",
         u"\U0001F600a",
         false,
         false,
         true,
         {{1,
           u"\xDE00"
           u"a"}}},
        {"FirstIndex counts UTF-16 units", u"b+", u"中文bb", false, false, true, {{2, u"bb"}}},
        {"empty matches advance",
         u"x*",
         u"axb",
         false,
         false,
         true,
         {{0, u""}, {1, u"x"}, {2, u""}, {3, u""}}},
        {"empty lazy matches advance",
         u"a*?",
         u"aa",
         false,
         false,
         true,
         {{0, u""}, {1, u""}, {2, u""}}},
        {"empty line matches advance",
         u"^",
         u"a\n\nb",
         false,
         true,
         true,
         {{0, u""}, {2, u""}, {3, u""}}},
    };
    for (const Case& c : cases) {
        ObjectRef re = Make(c.pattern, c.ignoreCase, c.multiline, c.global);
        EXPECT_EQ(Execute(re, c.subject), c.expected) << c.name;
    }
}

TEST_F(RegExpTest, SubMatchesGiveGroupsAndEmptyForUnmatchedOnes) {
    ObjectRef re = Make(u"(\\d+)(x)?(?:-(\\w+))?", false, false, true);
    const ObjectRef matches = CallMethod<ObjectRef>(re, "Execute", {Wide(u"12-ab 7")});
    ASSERT_EQ(GetProperty<int>(matches, "Count"), 2);

    const ObjectRef first =
        GetProperty<ObjectRef>(GetProperty<ObjectRef>(matches, "Item", {0}), "SubMatches");
    EXPECT_EQ(GetProperty<int>(first, "Count"), 3);
    EXPECT_EQ(AsWide(GetProperty<automation::Variant>(first, "Item", {0})), u"12");
    EXPECT_TRUE(GetProperty<automation::Variant>(first, "Item", {1}).IsEmpty());
    EXPECT_EQ(AsWide(GetProperty<automation::Variant>(first, "Item", {2})), u"ab");

    const ObjectRef second =
        GetProperty<ObjectRef>(GetProperty<ObjectRef>(matches, "Item", {1}), "SubMatches");
    EXPECT_EQ(AsWide(GetProperty<automation::Variant>(second, "Item", {0})), u"7");
    EXPECT_TRUE(GetProperty<automation::Variant>(second, "Item", {2}).IsEmpty());

    // Indexes beyond the collections fail the call.
    EXPECT_FALSE(automation::Invoke(second, "Item", com::InvokeKind::PropertyGet, {3}));
    EXPECT_FALSE(automation::Invoke(matches, "Item", com::InvokeKind::PropertyGet, {2}));
    EXPECT_FALSE(automation::Invoke(matches, "Item", com::InvokeKind::PropertyGet, {-1}));
}

TEST_F(RegExpTest, ARejectedPatternFailsEveryCallUntilItIsMended) {
    ObjectRef re = Make(u"(ab", false, false, true);
    EXPECT_EQ(Execute(re, u"ab"), std::nullopt);
    EXPECT_FALSE(automation::Invoke(re, "Test", com::InvokeKind::Method, {Wide(u"ab")}));
    EXPECT_EQ(Replace(re, u"ab", u"x"), std::nullopt);
    // The pattern itself reads back as written.
    EXPECT_EQ(AsWide(GetProperty<automation::Variant>(re, "Pattern")), u"(ab");

    ASSERT_TRUE(SetProperty(re, "Pattern", Wide(u"(ab)")));
    EXPECT_EQ(Execute(re, u"ab"), (std::vector<Found>{{0, u"ab"}}));
}

TEST_F(RegExpTest, ChangedPropertiesApplyToTheNextSearch) {
    ObjectRef re = Make(u"^b", false, false, true);
    EXPECT_EQ(Execute(re, u"a\nB"), (std::vector<Found>{}));
    SetProperty(re, "IgnoreCase", true);
    EXPECT_EQ(Execute(re, u"a\nB"), (std::vector<Found>{}));
    SetProperty(re, "Multiline", true);
    EXPECT_EQ(Execute(re, u"a\nB"), (std::vector<Found>{{2, u"B"}}));
    SetProperty(re, "Pattern", Wide(u"^a"));
    EXPECT_EQ(Execute(re, u"a\nB"), (std::vector<Found>{{0, u"a"}}));
    EXPECT_TRUE(CallMethod<bool>(re, "Test", {Wide(u"xa")}) == false);
    EXPECT_TRUE(CallMethod<bool>(re, "Test", {Wide(u"x\na")}));
}

TEST_F(RegExpTest, ReplaceExpandsGroupReferencesByEcmaScriptRules) {
    struct Case {
        const char* name;
        std::u16string pattern, subject, replacement;
        bool global;
        std::u16string expected;
    } cases[] = {
        {"groups swapped", u"(\\w+)@(\\w+)", u"a@b c@d", u"$2@$1", true, u"b@a d@c"},
        {"first only without global", u"(\\w+)@(\\w+)", u"a@b c@d", u"$2@$1", false, u"b@a c@d"},
        {"whole match, before, after", u"b", u"abc", u"[$&|$`|$']", false, u"a[b|a|c]c"},
        {"dollar escape", u"b", u"abc", u"$$", false, u"a$c"},
        {"$0 stays as written", u"b", u"abc", u"$0", false, u"a$0c"},
        {"a reference to no group stays", u"(b)", u"abc", u"$2$", false, u"a$2$c"},
        {"two digits fall back to one", u"(b)", u"abc", u"$10", false, u"ab0c"},
        {"two-digit group", u"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)", u"abcdefghijk", u"$11$10$1",
         false, u"kja"},
        {"unmatched group is empty", u"a(x)?b", u"ab", u"<$1>", false, u"<>"},
        {"other dollars stay", u"b", u"abc", u"$x$", false, u"a$x$c"},
        {"empty matches between units", u"x*", u"abc", u"-", true, u"-a-b-c-"},
        {"no match leaves the subject", u"z", u"abc", u"-", true, u"abc"},
    };
    for (const Case& c : cases) {
        ObjectRef re = Make(c.pattern, false, false, c.global);
        EXPECT_EQ(Replace(re, c.subject, c.replacement), c.expected) << c.name;
    }
}

TEST_F(RegExpTest, CatastrophicBacktrackingEndsAsNoMatch) {
    ObjectRef re = Make(u"^(\\w+\\s?)*$", false, true, true);
    const std::u16string subject = std::u16string(60, u'a') + u"!";
    EXPECT_EQ(Execute(re, subject), (std::vector<Found>{}));
    EXPECT_FALSE(CallMethod<bool>(re, "Test", {Wide(subject)}));
    EXPECT_EQ(Replace(re, subject, u"x"), subject);
    // The object stays usable.
    EXPECT_EQ(Execute(re, u"ab cd"), (std::vector<Found>{{0, u"ab cd"}}));
}

TEST_F(RegExpTest, LargeSubjectsAndLongCapturesStayWithinTheLimits) {
    // A 4 MB page with the address near its end, and a 1 MB capture.
    std::u16string page;
    for (int i = 0; page.size() < 4'000'000; ++i) page += u"<p class=\"x\">play list item</p>\n";
    page += u"\"playurl\":\"http://host/a.m4a\"";
    ObjectRef re = Make(u"playurl\":\"(.*?)\"", true, true, true);
    const auto found = Execute(re, page);
    ASSERT_TRUE(found.has_value());
    ASSERT_EQ(found->size(), 1u);
    EXPECT_EQ(found->front().value, u"playurl\":\"http://host/a.m4a\"");

    const std::u16string longCapture = u"playurl\":\"" + std::u16string(1'000'000, u'x') + u"\"";
    const auto captured = Execute(re, longCapture);
    ASSERT_TRUE(captured.has_value());
    ASSERT_EQ(captured->size(), 1u);
    EXPECT_EQ(captured->front().value.size(), longCapture.size());
}
