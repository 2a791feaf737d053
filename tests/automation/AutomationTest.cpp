#include <gtest/gtest.h>

#include <thread>

#include "automation/Automation.h"
#include "platform/com/Apartment.h"
#include "platform/com/ComponentRegistry.h"

using namespace automation;

namespace {

// A small component with one property, a method that may raise, and a method that echoes.
class Counter : public com::Dispatch {
public:
    std::optional<com::Variant> Invoke(std::string_view member, com::InvokeKind kind,
                                       std::span<const com::Variant> args) override {
        using K = com::InvokeKind;
        if (com::IsMember(member, "Value") && kind == K::PropertyGet) return com::Variant{value_};
        if (com::IsMember(member, "Value") && kind == K::PropertyPut) {
            auto number = com::NumberArg(args, 0);
            if (!number) return std::nullopt;
            value_ = *number;
            return com::Variant{};
        }
        if (com::IsMember(member, "Add") && kind == K::Method) {
            auto number = com::NumberArg(args, 0);
            if (!number || *number < 0) return std::nullopt;  // raises: no effect
            value_ += *number;
            return com::Variant{};
        }
        if (com::IsMember(member, "Echo") && kind == K::Method) {
            return args.empty() ? com::Variant{} : args[0];
        }
        return std::nullopt;
    }

private:
    double value_ = 0;
};

class AutomationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        com::RegisterComponent("Test.Counter", [] { return std::make_shared<Counter>(); });
    }
    void SetUp() override { ComInitialize(); }
    void TearDown() override { ComUninitialize(); }
};

}  // namespace

TEST_F(AutomationTest, CreatesByProgIdIgnoringCase) {
    EXPECT_FALSE(CreateObject(Text("test.counter")).IsEmpty());
    EXPECT_TRUE(CreateObject(Text("No.Such.Thing")).IsEmpty());
}

TEST_F(AutomationTest, CreationFailsOnAThreadWithoutAnApartment) {
    bool emptyWithout = false;
    bool presentWith = false;
    std::thread([&] {
        emptyWithout = CreateObject(Text("Test.Counter")).IsEmpty();
        ComInitialize();
        presentWith = !CreateObject(Text("Test.Counter")).IsEmpty();
        ComUninitialize();
    }).join();
    EXPECT_TRUE(emptyWithout);
    EXPECT_TRUE(presentWith);
}

TEST_F(AutomationTest, AFailingCallHasNoEffectAndReadsGiveEmptyValues) {
    ObjectRef counter = CreateObject(Text("Test.Counter"));
    CallMethod(counter, "Add", {5});
    CallMethod(counter, "Add", {-1});  // raises
    CallMethod(counter, "Missing", {1});
    EXPECT_EQ(GetProperty<int>(counter, "value"), 5);
    EXPECT_EQ(GetProperty<Text>(counter, "Missing"), Text());
    EXPECT_EQ(GetProperty<double>(counter, "Missing"), 0.0);
    EXPECT_FALSE(GetProperty<bool>(counter, "Missing"));
    EXPECT_TRUE(GetProperty<ObjectRef>(counter, "Missing").IsEmpty());
    EXPECT_TRUE(GetProperty<ByteSet>(counter, "Missing").empty());
    EXPECT_FALSE(SetProperty(counter, "Value", Text("not a number")));
    EXPECT_EQ(GetProperty<int>(counter, "Value"), 5);

    ObjectRef none;
    EXPECT_EQ(CallMethod<Text>(none, "Echo", {Text("x")}), Text());
}

TEST_F(AutomationTest, ResultsConvertToTheKindAskedFor) {
    ObjectRef c = CreateObject(Text("Test.Counter"));
    EXPECT_EQ(CallMethod<Text>(c, "Echo", {12.0}), Text("12"));
    EXPECT_EQ(CallMethod<Text>(c, "Echo", {0.5}), Text("0.5"));
    EXPECT_EQ(CallMethod<double>(c, "Echo", {Text(" 12.5 ")}), 12.5);
    EXPECT_EQ(CallMethod<int>(c, "Echo", {-7.9}), -7);  // fraction dropped toward zero
    EXPECT_EQ(CallMethod<double>(c, "Echo", {Text("abc")}), 0.0);
    EXPECT_EQ(CallMethod<double>(c, "Echo", {true}), -1.0);
    EXPECT_TRUE(CallMethod<bool>(c, "Echo", {Text("True")}));
    EXPECT_FALSE(CallMethod<bool>(c, "Echo", {Text("yes")}));
    EXPECT_EQ(CallMethod<Text>(c, "Echo", {Text("\xD6\xD0")}), Text("\xD6\xD0"));
    EXPECT_EQ(CallMethod<ByteSet>(c, "Echo", {ByteSet{1, 0, 2}}), (ByteSet{1, 0, 2}));
    EXPECT_EQ(CallMethod<Text>(c, "Echo", {c}), Text());  // an object has no text
    EXPECT_EQ(CallMethod<ObjectRef>(c, "Echo", {c}), c);
}

TEST_F(AutomationTest, ACopySharesTheObject) {
    ObjectRef first = CreateObject(Text("Test.Counter"));
    ObjectRef second = CopyObject(first);
    CallMethod(second, "Add", {3});
    EXPECT_EQ(GetProperty<int>(first, "Value"), 3);
    ReleaseObject(second);
    EXPECT_TRUE(IsEmptyObject(second));
    EXPECT_EQ(GetProperty<int>(first, "Value"), 3);
}
