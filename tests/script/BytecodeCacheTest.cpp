#include <gtest/gtest.h>

#include <string>

#include "platform/com/script/BytecodeCache.h"

using com::script::Bytecode;
using com::script::BytecodeCache;

namespace {

std::string Source(char fill) { return std::string(BytecodeCache::kMinimumSourceBytes, fill); }

}  // namespace

TEST(BytecodeCacheTest, ATextIsTakenInWhenItRecurs) {
    BytecodeCache cache;
    const std::string source = Source('a');
    EXPECT_FALSE(cache.Find(source).storeWanted);  // first sighting
    const auto second = cache.Find(source);
    EXPECT_FALSE(second.bytecode);
    ASSERT_TRUE(second.storeWanted);
    cache.Store(source, Bytecode{1, 2, 3});
    const auto hit = cache.Find(source);
    ASSERT_TRUE(hit.bytecode);
    EXPECT_EQ(*hit.bytecode, (Bytecode{1, 2, 3}));
    EXPECT_FALSE(hit.storeWanted);

    EXPECT_FALSE(cache.Find(source + "x").bytecode);  // the key is the exact text
    const std::string small(BytecodeCache::kMinimumSourceBytes - 1, 'b');
    cache.Find(small);
    EXPECT_FALSE(cache.Find(small).storeWanted);  // short texts are not worth it
}

TEST(BytecodeCacheTest, TheLeastRecentlyUsedEntriesGoFirstPastTheLimit) {
    const std::size_t entry = BytecodeCache::kMinimumSourceBytes + 100;
    BytecodeCache cache(entry * 2);
    for (char fill : {'a', 'b'}) cache.Store(Source(fill), Bytecode(100, 0));
    EXPECT_TRUE(cache.Find(Source('a')).bytecode);  // 'a' is now the most recent
    cache.Store(Source('c'), Bytecode(100, 0));
    EXPECT_EQ(cache.EntryCount(), 2u);
    EXPECT_TRUE(cache.Find(Source('a')).bytecode);
    EXPECT_FALSE(cache.Find(Source('b')).bytecode);
    EXPECT_TRUE(cache.Find(Source('c')).bytecode);

    cache.Store(Source('d'), Bytecode(entry * 2, 0));  // larger than the whole cache
    EXPECT_FALSE(cache.Find(Source('d')).bytecode);
}
