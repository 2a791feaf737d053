#include <gtest/gtest.h>

#include "platform/com/script/DuktapeEngine.h"
#include "platform/com/script/DuktapeHeap.h"

using com::script::DuktapeEngine;
using com::script::DuktapeHeap;
using com::script::ScriptFailure;

namespace {

void CallFatal(duk_context* context, void*) { duk_fatal(context, "deliberate"); }

// An error thrown with no protected call around it: Duktape turns it into a fatal error.
void ThrowUnprotected(duk_context* context, void*) { duk_error(context, DUK_ERR_ERROR, "loose"); }

void MarkRan(duk_context*, void* data) { *static_cast<bool*>(data) = true; }

}  // namespace

TEST(DuktapeHeapTest, AFatalErrorKillsOnlyTheHeapAndFreesItsMemory) {
    for (const DuktapeHeap::GuardedFunction fatal : {&CallFatal, &ThrowUnprotected}) {
        auto heap = DuktapeHeap::Create();
        ASSERT_TRUE(heap);
        EXPECT_GT(heap->MemoryInUse(), 0u);
        EXPECT_EQ(heap->Guard(fatal, nullptr), DuktapeHeap::Outcome::Fatal);
        EXPECT_TRUE(heap->IsDead());
        EXPECT_EQ(heap->MemoryInUse(), 0u);
        EXPECT_STRNE(heap->FatalMessage(), "");
        bool ran = false;
        EXPECT_EQ(heap->Guard(&MarkRan, &ran), DuktapeHeap::Outcome::Fatal);
        EXPECT_FALSE(ran);
    }
}

TEST(DuktapeHeapTest, MemoryIsCountedAgainstTheBudget) {
    EXPECT_FALSE(DuktapeHeap::Create(4096));  // not even the built-ins fit

    auto engine = DuktapeEngine::Create(nullptr, std::size_t{8} << 20);
    ASSERT_TRUE(engine);
    const std::size_t idle = engine->Heap().MemoryInUse();
    ASSERT_TRUE(std::holds_alternative<com::Variant>(
        engine->Eval(u"var big = new Array(100000).join('x'); big.length")));
    EXPECT_GT(engine->Heap().MemoryInUse(), idle + 100000);

    const auto outcome = engine->Eval(u"var a = []; for (;;) a.push(big + a.length);");
    ASSERT_TRUE(std::holds_alternative<ScriptFailure>(outcome));
    EXPECT_EQ(std::get<ScriptFailure>(outcome).message, u"alloc failed");
    EXPECT_LE(engine->Heap().MemoryInUse(), engine->Heap().Budget());
    EXPECT_FALSE(engine->IsBroken());

    ASSERT_TRUE(std::holds_alternative<com::Variant>(engine->Eval(u"a = null; big = null")));
    EXPECT_EQ(std::get<com::Variant>(engine->Eval(u"1 + 1")), com::Variant(2.0));
}

TEST(DuktapeHeapTest, AnEngineWhoseHeapDiedRefusesEveryRun) {
    auto engine = DuktapeEngine::Create(nullptr);
    ASSERT_TRUE(engine);
    // Only a Guard can reach the heap; break it through one as an internal failure would.
    auto& heap = const_cast<DuktapeHeap&>(engine->Heap());
    ASSERT_EQ(heap.Guard(&CallFatal, nullptr), DuktapeHeap::Outcome::Fatal);
    const auto outcome = engine->Eval(u"1");
    ASSERT_TRUE(std::holds_alternative<ScriptFailure>(outcome));
    EXPECT_EQ(std::get<ScriptFailure>(outcome).phase, ScriptFailure::Phase::Fatal);
    EXPECT_TRUE(engine->IsBroken());
}
