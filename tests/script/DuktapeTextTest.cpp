#include <gtest/gtest.h>

#include "platform/com/script/DuktapeText.h"

using com::script::Cesu8FromUtf16;
using com::script::Utf16FromCesu8;

TEST(DuktapeTextTest, EveryUnitIsEncodedOnItsOwnAndComesBack) {
    struct Case {
        std::u16string units;
        std::string bytes;
    };
    const Case cases[] = {
        {u"", ""},
        {std::u16string(u"a\0", 2), std::string("a\0", 2)},
        {u"\u00E9", "\xC3\xA9"},
        {u"\u4E2D", "\xE4\xB8\xAD"},
        {u"\u2400", "\xE2\x90\x80"},
        {u"\U0001F600", "\xED\xA0\xBD\xED\xB8\x80"},     // a pair as two 3-byte sequences
        {std::u16string(1, u'\xDC00'), "\xED\xB0\x80"},  // a lone low surrogate
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Cesu8FromUtf16(c.units), c.bytes);
        EXPECT_EQ(Utf16FromCesu8(c.bytes), c.units);
    }
}

TEST(DuktapeTextTest, DecodingAcceptsFourByteFormsAndReplacesBrokenBytes) {
    struct Case {
        std::string bytes;
        std::u16string units;
    };
    const Case cases[] = {
        {"\xF0\x9F\x98\x80", u"\U0001F600"},
        {"a\x80z", u"a\uFFFDz"},                            // a stray continuation byte
        {"\xE4\xB8", u"\uFFFD\uFFFD"},                      // cut short
        {"\xC0\xAF", u"\uFFFD\uFFFD"},                      // overlong
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // beyond U+10FFFF
        {"\xFF\x41", u"\uFFFDA"},
    };
    for (const Case& c : cases) EXPECT_EQ(Utf16FromCesu8(c.bytes), c.units);
}
