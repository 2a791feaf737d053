#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "automation/Automation.h"
#include "platform/com/Apartment.h"
#include "platform/com/script/ScriptControl.h"

using automation::CallMethod;
using automation::GetProperty;
using automation::ObjectRef;

namespace {

automation::Variant Wide(std::u16string units) {
    return automation::Variant(com::Variant(std::move(units)));
}

class ScriptControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ComInitialize();
        control_ = automation::CreateObject(Text("MSScriptControl.ScriptControl"));
        ASSERT_FALSE(control_.IsEmpty());
        ASSERT_TRUE(automation::SetProperty(control_, "Language", Text("JavaScript")));
    }
    void TearDown() override {
        control_.Release();
        ComUninitialize();
    }

    std::optional<com::Variant> Eval(const std::u16string& code) {
        auto result = automation::Invoke(control_, "Eval", com::InvokeKind::Method, {Wide(code)});
        if (!result) return std::nullopt;
        return result->raw();
    }
    ObjectRef Error() { return GetProperty<ObjectRef>(control_, "Error"); }
    int ErrorNumber() { return GetProperty<int>(Error(), "Number"); }
    Text ErrorDescription() { return GetProperty<Text>(Error(), "Description"); }

    ObjectRef control_;
};

}  // namespace

TEST_F(ScriptControlTest, LanguageSelectsTheEngineAndResetsIt) {
    struct Case {
        const char* language;
        bool runs;
    };
    for (const Case& c : {Case{"JavaScript", true}, Case{"javascript", true}, Case{"JSCRIPT", true},
                          Case{"VBScript", false}, Case{"", false}}) {
        SCOPED_TRACE(c.language);
        automation::SetProperty(control_, "Language", Text(c.language));
        EXPECT_EQ(GetProperty<Text>(control_, "Language"), Text(c.language));
        EXPECT_EQ(CallMethod<int>(control_, "Eval", {Text("6 * 7")}), c.runs ? 42 : 0);
        EXPECT_EQ(ErrorNumber(), c.runs ? 0 : 5);
    }
    automation::SetProperty(control_, "Language", Text("JavaScript"));
    CallMethod(control_, "AddCode", {Text("var kept = 1;")});
    EXPECT_EQ(CallMethod<int>(control_, "Eval", {Text("kept")}), 1);
    automation::SetProperty(control_, "Language", Text("JavaScript"));
    EXPECT_FALSE(Eval(u"kept").has_value());  // writing Language discards the old state
    EXPECT_EQ(ErrorNumber(), 5009);
}

TEST_F(ScriptControlTest, EvalHandsOutStringsNumbersAndBooleans) {
    EXPECT_EQ(Eval(u"'ab' + 'c'"), com::Variant(std::u16string(u"abc")));
    EXPECT_EQ(Eval(u"1.5 * 2"), com::Variant(3.0));
    EXPECT_EQ(Eval(u"1 < 2"), com::Variant(true));
    EXPECT_EQ(Eval(u"var x = 5; x + 1"), com::Variant(6.0));  // statements: the last value
    // No value a variant can carry: the call succeeds and gives the empty value.
    for (const char16_t* code :
         {u"undefined", u"null", u"({a: 1})", u"[1, 2]", u"(function () {})", u"var y = 1"}) {
        const auto value = Eval(code);
        ASSERT_TRUE(value.has_value());
        EXPECT_TRUE(std::holds_alternative<std::monostate>(*value));
    }
}

TEST_F(ScriptControlTest, AddCodeDeclaresGlobalsForLaterCalls) {
    EXPECT_TRUE(automation::Invoke(control_, "AddCode", com::InvokeKind::Method,
                                   {Text("function twice(n) { return n * 2; } var base = 20;")})
                    .has_value());
    EXPECT_EQ(CallMethod<int>(control_, "Eval", {Text("twice(base) + 2")}), 42);
    CallMethod(control_, "Eval", {Text("var fromEval = 'e'")});
    EXPECT_EQ(CallMethod<Text>(control_, "Eval", {Text("fromEval")}), Text("e"));
}

TEST_F(ScriptControlTest, TextsSurviveTheTripThroughTheEngineUnitForUnit) {
    const std::u16string cases[] = {u"plain",
                                    u"\u4E2D\u6587",
                                    u"\u2400 x",
                                    u"\U0001F600",
                                    std::u16string(1, u'\xD83D'),
                                    std::u16string(u"a\0b", 3),
                                    u"\u00E9\u07FF\u0800\uFFFF"};
    for (const std::u16string& value : cases) {
        CallMethod(control_, "Eval", {Wide(u"var s = '" + value + u"'")});
        EXPECT_EQ(Eval(u"s"), com::Variant(value));
        EXPECT_EQ(Eval(u"s.length"), com::Variant(static_cast<double>(value.size())));
    }
    EXPECT_EQ(Eval(u"String.fromCharCode(0xD83D, 0xDE00) == '\U0001F600'"), com::Variant(true));
    EXPECT_EQ(Eval(u"String.fromCharCode(9216)"), com::Variant(std::u16string(u"\u2400")));
}

TEST_F(ScriptControlTest, AScriptErrorFailsTheCallAndFillsError) {
    struct Case {
        const char16_t* code;
        int number;
        const char* source;
        int line;
        const char* text;  // the source line, for compilation errors
    };
    const Case cases[] = {
        {u"1 +\n\n 'abc", 1002, "JavaScript compilation error", 3, " 'abc"},
        {u"if (1) {\r\n x = ;\r\n}", 1002, "JavaScript compilation error", 2, " x = ;"},
        {u"\nmissingName + 1", 5009, "JavaScript runtime error", 2, ""},
        {u"null.member", 5007, "JavaScript runtime error", 1, ""},
        {u"JSON.parse('{\"a\":}')", 1002, "JavaScript runtime error", 1, ""},
        {u"decodeURIComponent('%')", 5025, "JavaScript runtime error", 1, ""},
        {u"(function f() { f(); })()", 28, "JavaScript runtime error", 1, ""},
        {u"(1).toFixed(500)", 6, "JavaScript runtime error", 1, ""},
        {u"throw 'thrown text'", 5022, "JavaScript runtime error", 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.source) + " " + std::to_string(c.number));
        EXPECT_FALSE(Eval(c.code).has_value());
        const ObjectRef error = Error();
        EXPECT_EQ(GetProperty<int>(error, "Number"), c.number);
        EXPECT_EQ(GetProperty<Text>(error, "Source"), Text(c.source));
        EXPECT_FALSE(GetProperty<Text>(error, "Description").empty());
        EXPECT_EQ(GetProperty<int>(error, "Line"), c.line);
        EXPECT_EQ(GetProperty<Text>(error, "Text"), Text(c.text));
        EXPECT_EQ(GetProperty<int>(error, "Column"), 0);
        EXPECT_EQ(GetProperty<Text>(error, "HelpFile"), Text());
        EXPECT_EQ(GetProperty<int>(error, "HelpContext"), 0);
    }
    EXPECT_FALSE(Eval(u"throw 'thrown text'").has_value());
    EXPECT_EQ(ErrorDescription(), Text("thrown text"));
    EXPECT_FALSE(Eval(u"missingName").has_value());
    EXPECT_EQ(ErrorDescription(), Text("identifier 'missingName' undefined"));
}

TEST_F(ScriptControlTest, ErrorIsClearedByClearAndByTheNextCall) {
    const ObjectRef error = Error();
    EXPECT_FALSE(Eval(u"missingName").has_value());
    EXPECT_EQ(GetProperty<int>(error, "Number"), 5009);
    CallMethod(error, "Clear");
    EXPECT_EQ(GetProperty<int>(error, "Number"), 0);
    EXPECT_EQ(GetProperty<Text>(error, "Description"), Text());

    EXPECT_FALSE(Eval(u"missingName").has_value());
    EXPECT_TRUE(Eval(u"1").has_value());
    EXPECT_EQ(GetProperty<int>(error, "Number"), 0);  // the same object shows the new state
    EXPECT_EQ(GetProperty<int>(error, "Line"), 0);
}

TEST_F(ScriptControlTest, RunawayAllocationFailsWithinTheBudgetAndTheControlGoesOn) {
    EXPECT_FALSE(Eval(u"var s = 'xxxxxxxx'; while (true) { s = s + s; }").has_value());
    EXPECT_EQ(ErrorNumber(), 7);
    CallMethod(control_, "Eval", {Text("s = null")});
    EXPECT_EQ(CallMethod<int>(control_, "Eval", {Text("[1, 2, 3].length")}), 3);
}

TEST_F(ScriptControlTest, OverlongTextsAreRefused) {
    std::u16string code(com::script::kMaxScriptUnits + 1, u' ');
    code.back() = u'1';
    EXPECT_FALSE(Eval(code).has_value());
    EXPECT_EQ(ErrorNumber(), 5);
    code.erase(0, 1);
    EXPECT_EQ(Eval(code), com::Variant(1.0));
}

TEST_F(ScriptControlTest, ARecurringScriptRunsTheSameWhenLoadedFromTheCache) {
    // Long enough to be cached; defines functions and a prototype method like a library would.
    std::string library =
        "function lib_square(n) { return n * n; }\n"
        "Object.prototype.lib_tag = function () { return 'tagged'; };\n"
        "var lib_table = {};\n";
    for (int i = 0; i < 40; ++i) {
        library += "lib_table['k" + std::to_string(i) + "'] = " + std::to_string(i) + ";\n";
    }
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        ObjectRef fresh = automation::CreateObject(Text("MSScriptControl.ScriptControl"));
        automation::SetProperty(fresh, "Language", Text("JScript"));
        ASSERT_TRUE(automation::Invoke(fresh, "AddCode", com::InvokeKind::Method, {Text(library)})
                        .has_value());
        EXPECT_EQ(
            CallMethod<Text>(fresh, "Eval", {Text("lib_square(lib_table.k7) + ({}).lib_tag()")}),
            Text("49tagged"));
        // A runtime error inside cached code is still reported.
        EXPECT_FALSE(automation::Invoke(fresh, "Eval", com::InvokeKind::Method,
                                        {Text("lib_square(missing)")})
                         .has_value());
        EXPECT_EQ(GetProperty<int>(GetProperty<ObjectRef>(fresh, "Error"), "Number"), 5009);
    }
}

TEST_F(ScriptControlTest, ControlsOnSeveralThreadsAreIndependent) {
    std::vector<std::thread> threads;
    std::vector<int> results(4, -1);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &results] {
            ComInitialize();
            {
                ObjectRef control = automation::CreateObject(Text("MSScriptControl.ScriptControl"));
                automation::SetProperty(control, "Language", Text("JavaScript"));
                CallMethod(control, "AddCode", {Text("var n = " + std::to_string(t) + ";")});
                int sum = 0;
                for (int i = 0; i < 50; ++i) sum += CallMethod<int>(control, "Eval", {Text("n")});
                results[t] = sum;
            }
            ComUninitialize();
        });
    }
    for (auto& thread : threads) thread.join();
    for (int t = 0; t < 4; ++t) EXPECT_EQ(results[t], 50 * t);
}
