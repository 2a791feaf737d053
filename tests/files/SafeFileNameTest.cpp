#include <gtest/gtest.h>

#include <string>

#include "platform/files/SafeFileName.h"

namespace {

TEST(SafeFileNameTest, ReplacesWhatLinuxOrWindowsRefuses) {
    struct Case {
        const char* label;
        std::string name;
        std::string tail;
        std::string expected;
    } cases[] = {
        {"plain", "abc", "1.m4a", "abc1.m4a"},
        {"chinese kept", "\xE5\xA5\xBD\xE6\xAD\x8C", "1.m4a",
         "\xE5\xA5\xBD\xE6\xAD\x8C"
         "1.m4a"},
        {"parent walk", "../../x", "1.m4a", ".._.._x1.m4a"},
        {"slash", "a/b", "1.m4a", "a_b1.m4a"},
        {"windows set", "a\\b:c*d?e\"f<g>h|i", "1.m4a", "a_b_c_d_e_f_g_h_i1.m4a"},
        {"controls",
         std::string("a\tb\nc\x7F"
                     "d\x01",
                     8),
         "1.m4a", "a_b_c_d_1.m4a"},
        {"not utf8", "a\xFF\xC3z", "1.m4a", "a__z1.m4a"},
        {"empty name", "", "1.m4a", "1.m4a"},
        {"device", "CON", ".m4a", "_CON.m4a"},
        {"device any case", "nul.mix", "1.m4a", "_nul.mix1.m4a"},
        {"device number", "com1", ".m4a", "_com1.m4a"},
        {"device superscript", "LPT\xC2\xB9", ".m4a", "_LPT\xC2\xB9.m4a"},
        {"device with space", "aux .x", "1.m4a", "_aux .x1.m4a"},
        {"not a device", "CON1", ".m4a", "CON1.m4a"},
        {"not a device 2", "console", ".m4a", "console.m4a"},
        {"trailing dots without tail", "song. .", "", "song"},
        {"only dots without tail", "..", "", "_"},
        {"dot without tail", ".", "", "_"},
        {"nothing at all", "", "", "_"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(files::SafeFileName(c.name, c.tail), c.expected) << c.label;
    }
}

TEST(SafeFileNameTest, StaysWithin255BytesCuttingWholeCharacters) {
    std::string longName;
    for (int i = 0; i < 200; ++i) longName += "\xE6\xAD\x8C";  // 600 bytes of three-byte characters
    const std::string tail = " (2)1.m4a";
    const std::string safe = files::SafeFileName(longName, tail);
    EXPECT_LE(safe.size(), files::kMaxFileNameBytes);
    ASSERT_GE(safe.size(), tail.size());
    EXPECT_EQ(safe.substr(safe.size() - tail.size()), tail);
    const std::string kept = safe.substr(0, safe.size() - tail.size());
    EXPECT_EQ(kept.size() % 3, 0u) << "a character was split";
    EXPECT_EQ(kept, longName.substr(0, kept.size()));
    EXPECT_GT(kept.size(), files::kMaxFileNameBytes - tail.size() - 3);

    const std::string device = "CON." + std::string(300, 'x');
    const std::string safeDevice = files::SafeFileName(device, ".m4a");
    EXPECT_LE(safeDevice.size(), files::kMaxFileNameBytes);
    EXPECT_EQ(safeDevice.substr(0, 5), "_CON.");
}

}  // namespace
