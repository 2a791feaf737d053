#include <gtest/gtest.h>

#include "text/FindText.h"

TEST(FindTextTest, FindsBytePositions) {
    struct Case {
        const char* in;
        const char* sought;
        std::optional<int> start;
        bool ignoreCase;
        int expected;
    } cases[] = {
        {"abcabc", "c", std::nullopt, false, 3},
        {"abcabc", "c", 4, false, 6},
        {"abcabc", "c", 0, false, 3},
        {"abc", "", std::nullopt, false, -1},
        {"", "a", std::nullopt, false, -1},
        {"ABC", "b", std::nullopt, false, -1},
        {"ABC", "b", std::nullopt, true, 2},
        // Byte-wise: the second byte of a double-byte character can match.
        {"\xA3\xBA", "\xBA", std::nullopt, false, 2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindText(Text(c.in), Text(c.sought), c.start, c.ignoreCase), c.expected)
            << c.in << " / " << c.sought;
    }
}

TEST(FindTextTest, LeavesTheCallersTextsAlone) {
    const Text in("ABC");
    const Text sought("B");
    FindText(in, sought, std::nullopt, true);
    EXPECT_EQ(in, Text("ABC"));
    EXPECT_EQ(sought, Text("B"));
}
