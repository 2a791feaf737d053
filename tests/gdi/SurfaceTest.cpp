#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DeviceContext.h"
#include "tests/gdi/BmpBuilder.h"

using bmptest::Bytes;
using gdi::Bitmap;
using gdi::BitmapHandle;
using gdi::ColorRef;
using gdi::DeviceContext;
using gdi::MakeColor;
using gdi::RgbQuad;

namespace {

struct InfoSpec {
    std::int32_t width = 1;
    std::int32_t height = 1;
    std::uint16_t bitCount = 24;
    std::vector<RgbQuad> colors{};
    std::uint16_t planes = 1;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
    std::uint32_t headerSize = 40;
};

// A packed BITMAPINFO: the info header and the colour table.
Bytes Info(const InfoSpec& s) {
    Bytes out;
    bmptest::Put32(out, s.headerSize);
    bmptest::Put32(out, static_cast<std::uint32_t>(s.width));
    bmptest::Put32(out, static_cast<std::uint32_t>(s.height));
    bmptest::Put16(out, s.planes);
    bmptest::Put16(out, s.bitCount);
    bmptest::Put32(out, s.compression);
    for (int i = 0; i < 3; ++i) bmptest::Put32(out, 0);
    bmptest::Put32(out, s.colorsUsed);
    bmptest::Put32(out, 0);
    for (const RgbQuad& q : s.colors) {
        out.insert(out.end(), {q.blue, q.green, q.red, q.reserved});
    }
    return out;
}

std::vector<RgbQuad> Table(std::size_t count) {
    std::vector<RgbQuad> table(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto v = static_cast<std::uint8_t>(i * 255 / (count - 1));
        table[i] = {v, v, v, 0};
    }
    return table;
}

struct StrideCase {
    int width;
    int bitCount;
    int stride;
};

class DibSectionStride : public testing::TestWithParam<StrideCase> {};

TEST_P(DibSectionStride, RowsArePaddedTo32Bits) {
    const StrideCase c = GetParam();
    const std::size_t colors = c.bitCount <= 8 ? std::size_t{1} << c.bitCount : 0;
    const BitmapHandle dib =
        Bitmap::CreateDibSection(Info({.width = c.width,
                                       .height = 3,
                                       .bitCount = std::uint16_t(c.bitCount),
                                       .colors = Table(colors == 0 ? 2 : colors)}));
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(dib->Stride(), c.stride);
    EXPECT_EQ(dib->Bits().size(), std::size_t(c.stride) * 3);
    for (std::uint8_t byte : dib->Bits()) ASSERT_EQ(byte, 0);
    EXPECT_TRUE(dib->IsDibSection());
}

INSTANTIATE_TEST_SUITE_P(Depths, DibSectionStride,
                         testing::Values(StrideCase{10, 1, 4}, StrideCase{33, 1, 8},
                                         StrideCase{5, 4, 4}, StrideCase{9, 4, 8},
                                         StrideCase{10, 8, 12}, StrideCase{3, 16, 8},
                                         StrideCase{1, 24, 4}, StrideCase{3, 24, 12},
                                         StrideCase{56, 24, 168}, StrideCase{3, 32, 12}));

TEST(DibSection, RefusesUnusableHeaders) {
    const std::vector<Bytes> refused = {
        Bytes(39, 0),
        Info({.headerSize = 12}),
        Info({.headerSize = 400}),
        Info({.planes = 2}),
        Info({.bitCount = 2, .colors = Table(4)}),
        Info({.bitCount = 15}),
        Info({.compression = 1}),
        Info({.width = 0}),
        Info({.width = -1}),
        Info({.height = 0}),
        Info({.height = INT32_MIN}),
        Info({.width = 5000, .height = 5000}),
        Info({.width = 1 << 21, .height = 1}),
        Info({.bitCount = 8, .colors = Table(255)}),                 // table cut short
        Info({.bitCount = 1, .colors = Table(2), .colorsUsed = 3}),  // more than 2^depth
    };
    for (std::size_t i = 0; i < refused.size(); ++i) {
        EXPECT_EQ(Bitmap::CreateDibSection(refused[i]), nullptr) << "case " << i;
    }
    EXPECT_NE(Bitmap::CreateDibSection(Info({.bitCount = 8, .colors = Table(3), .colorsUsed = 3})),
              nullptr);
}

// Where SetPixel puts a colour in the pixel memory, per depth and row order.
struct LayoutCase {
    const char* name;
    InfoSpec info;
    int x;
    int y;
    ColorRef color;
    std::size_t offset;  // into the pixel memory
    Bytes bytes;         // what is found there afterwards
    ColorRef readBack;
};

class PixelLayout : public testing::TestWithParam<LayoutCase> {};

TEST_P(PixelLayout, SetPixelWritesTheDibLayout) {
    const LayoutCase& c = GetParam();
    const BitmapHandle dib = Bitmap::CreateDibSection(Info(c.info));
    ASSERT_NE(dib, nullptr);
    ASSERT_TRUE(dib->SetPixel(c.x, c.y, c.color));
    const auto bits = dib->Bits();
    EXPECT_EQ(Bytes(bits.begin() + std::ptrdiff_t(c.offset),
                    bits.begin() + std::ptrdiff_t(c.offset + c.bytes.size())),
              c.bytes);
    EXPECT_EQ(dib->GetPixel(c.x, c.y), c.readBack);
}

const std::vector<RgbQuad> kSixteen = {
    {0, 0, 0, 0},       {0, 0, 128, 0},   {0, 128, 0, 0},   {0, 128, 128, 0},
    {128, 0, 0, 0},     {128, 0, 128, 0}, {128, 128, 0, 0}, {128, 128, 128, 0},
    {192, 192, 192, 0}, {0, 0, 255, 0},   {0, 255, 0, 0},   {0, 255, 255, 0},
    {255, 0, 0, 0},     {255, 0, 255, 0}, {255, 255, 0, 0}, {255, 255, 255, 0}};

INSTANTIATE_TEST_SUITE_P(
    Depths, PixelLayout,
    testing::Values(LayoutCase{"Bgr24BottomUpTopRowIsLast",
                               {.width = 3, .height = 2},
                               1,
                               0,
                               MakeColor(1, 2, 3),
                               12 + 3,
                               {3, 2, 1},
                               MakeColor(1, 2, 3)},
                    LayoutCase{"Bgr24TopDownTopRowIsFirst",
                               {.width = 3, .height = -2},
                               1,
                               0,
                               MakeColor(1, 2, 3),
                               3,
                               {3, 2, 1},
                               MakeColor(1, 2, 3)},
                    LayoutCase{"Bgr32WithZeroFourthByte",
                               {.width = 2, .height = 1, .bitCount = 32},
                               1,
                               0,
                               0xFF112233u,
                               4,
                               {0x11, 0x22, 0x33, 0},
                               0x112233u},
                    LayoutCase{"Rgb555",
                               {.width = 2, .height = 1, .bitCount = 16},
                               1,
                               0,
                               MakeColor(255, 0, 8),
                               2,
                               {0x01, 0x7C},
                               MakeColor(255, 0, 8)},
                    LayoutCase{"OneBitNearestIsWhite",
                               {.width = 10, .height = 2, .bitCount = 1, .colors = Table(2)},
                               9,
                               1,
                               MakeColor(200, 200, 200),
                               1,
                               {0x40},
                               MakeColor(255, 255, 255)},
                    LayoutCase{"FourBitHighNibbleFirst",
                               {.width = 3, .height = 1, .bitCount = 4, .colors = kSixteen},
                               0,
                               0,
                               MakeColor(250, 5, 5),
                               0,
                               {0x90},
                               MakeColor(255, 0, 0)},
                    LayoutCase{"FourBitGreyNearestOf128And192",
                               {.width = 3, .height = 1, .bitCount = 4, .colors = kSixteen},
                               1,
                               0,
                               MakeColor(170, 170, 170),
                               0,
                               {0x08},
                               MakeColor(192, 192, 192)},
                    LayoutCase{"EightBitIndex",
                               {.width = 3, .height = 1, .bitCount = 8, .colors = Table(256)},
                               2,
                               0,
                               MakeColor(10, 10, 10),
                               2,
                               {10},
                               MakeColor(10, 10, 10)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Pixels, OutsideThePictureReadsInvalidAndWritesNothing) {
    const BitmapHandle dib = Bitmap::CreateDibSection(Info({.width = 3, .height = 2}));
    ASSERT_NE(dib, nullptr);
    for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {3, 0}, {0, 2}, {INT32_MIN, INT32_MAX}}) {
        EXPECT_EQ(dib->GetPixel(x, y), gdi::kInvalidColor);
        EXPECT_FALSE(dib->SetPixel(x, y, MakeColor(1, 1, 1)));
    }
    for (std::uint8_t byte : dib->Bits()) EXPECT_EQ(byte, 0);
}

TEST(DeviceContextTest, MemoryContextHoldsOneBitmapAtATime) {
    const auto screen = DeviceContext::Screen();
    auto first = screen->CreateCompatible();
    auto second = screen->CreateCompatible();
    const BitmapHandle surface = Bitmap::CreateCompatible(4, 4);

    const BitmapHandle displaced = first->Select(surface);
    ASSERT_NE(displaced, nullptr);
    EXPECT_EQ(gdi::GetBitmapDimensions(displaced)->bitsPerPixel, 1);
    EXPECT_EQ(gdi::GetBitmapDimensions(displaced)->width, 1);

    EXPECT_EQ(second->Select(surface), nullptr) << "already in another context";
    EXPECT_EQ(first->Select(displaced), surface);
    EXPECT_NE(second->Select(surface), nullptr) << "free again once put back";
    second.reset();
    EXPECT_NE(first->Select(surface), nullptr) << "free again once its context is gone";
    EXPECT_EQ(first->Select(nullptr), nullptr);
    EXPECT_EQ(first->Selected(), surface);
}

TEST(DeviceContextTest, ScreenHoldsNoPicture) {
    const auto screen = DeviceContext::Screen();
    auto memory = screen->CreateCompatible();
    memory->Select(Bitmap::CreateCompatible(2, 2));
    EXPECT_EQ(screen->Select(Bitmap::CreateCompatible(2, 2)), nullptr);
    EXPECT_EQ(screen->GetPixel(0, 0), gdi::kInvalidColor);
    EXPECT_FALSE(screen->SetPixelV(0, 0, 0));
    EXPECT_FALSE(gdi::BitBlt(*memory, 0, 0, 2, 2, *screen, 0, 0));
    EXPECT_FALSE(gdi::BitBlt(*screen, 0, 0, 2, 2, *memory, 0, 0));
}

TEST(DeviceContextTest, PixelAccessGoesToTheSelectedBitmap) {
    auto memory = DeviceContext::Screen()->CreateCompatible();
    const BitmapHandle surface = Bitmap::CreateCompatible(2, 2);
    memory->Select(surface);
    EXPECT_TRUE(memory->SetPixelV(1, 0, MakeColor(9, 8, 7)));
    EXPECT_EQ(surface->GetPixel(1, 0), MakeColor(9, 8, 7));
    EXPECT_EQ(memory->GetPixel(1, 0), MakeColor(9, 8, 7));
    EXPECT_EQ(memory->GetPixel(2, 0), gdi::kInvalidColor);
    EXPECT_FALSE(memory->SetPixelV(0, 2, 0));
}

// A 4 x 2 true-colour source: red, grey 100, grey 200, white / black, blue, green, yellow.
BitmapHandle Source() {
    const BitmapHandle source = Bitmap::CreateCompatible(4, 2);
    const ColorRef colors[2][4] = {
        {MakeColor(255, 0, 0), MakeColor(100, 100, 100), MakeColor(200, 200, 200),
         MakeColor(255, 255, 255)},
        {MakeColor(0, 0, 0), MakeColor(0, 0, 255), MakeColor(0, 255, 0), MakeColor(255, 255, 0)}};
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 4; ++x) source->SetPixel(x, y, colors[y][x]);
    }
    return source;
}

struct BlitCase {
    const char* name;
    InfoSpec target;
    std::vector<ColorRef> expected;  // 4 x 2, top row first
};

class BlockCopy : public testing::TestWithParam<BlitCase> {};

TEST_P(BlockCopy, ConvertsToTheTargetDepth) {
    const BlitCase& c = GetParam();
    const auto screen = DeviceContext::Screen();
    auto from = screen->CreateCompatible();
    auto to = screen->CreateCompatible();
    from->Select(Source());
    const BitmapHandle target = Bitmap::CreateDibSection(Info(c.target));
    ASSERT_NE(target, nullptr);
    to->Select(target);
    ASSERT_TRUE(gdi::BitBlt(*to, 0, 0, 4, 2, *from, 0, 0));
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(to->GetPixel(i % 4, i / 4), c.expected[i]) << "pixel " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Depths, BlockCopy,
    testing::Values(
        BlitCase{"To32",
                 {.width = 4, .height = 2, .bitCount = 32},
                 {MakeColor(255, 0, 0), MakeColor(100, 100, 100), MakeColor(200, 200, 200),
                  MakeColor(255, 255, 255), MakeColor(0, 0, 0), MakeColor(0, 0, 255),
                  MakeColor(0, 255, 0), MakeColor(255, 255, 0)}},
        BlitCase{"To24",
                 {.width = 4, .height = 2, .bitCount = 24},
                 {MakeColor(255, 0, 0), MakeColor(100, 100, 100), MakeColor(200, 200, 200),
                  MakeColor(255, 255, 255), MakeColor(0, 0, 0), MakeColor(0, 0, 255),
                  MakeColor(0, 255, 0), MakeColor(255, 255, 0)}},
        BlitCase{"To16KeepsFiveBitsPerChannel",
                 {.width = 4, .height = 2, .bitCount = 16},
                 {MakeColor(255, 0, 0), MakeColor(99, 99, 99), MakeColor(206, 206, 206),
                  MakeColor(255, 255, 255), MakeColor(0, 0, 0), MakeColor(0, 0, 255),
                  MakeColor(0, 255, 0), MakeColor(255, 255, 0)}},
        BlitCase{"To4TakesNearestOfTable",
                 {.width = 4, .height = 2, .bitCount = 4, .colors = kSixteen},
                 {MakeColor(255, 0, 0), MakeColor(128, 128, 128), MakeColor(192, 192, 192),
                  MakeColor(255, 255, 255), MakeColor(0, 0, 0), MakeColor(0, 0, 255),
                  MakeColor(0, 255, 0), MakeColor(255, 255, 0)}},
        BlitCase{"To1TakesBlackOrWhite",
                 {.width = 4, .height = 2, .bitCount = 1, .colors = Table(2)},
                 {MakeColor(0, 0, 0), MakeColor(0, 0, 0), MakeColor(255, 255, 255),
                  MakeColor(255, 255, 255), MakeColor(0, 0, 0), MakeColor(0, 0, 0),
                  MakeColor(0, 0, 0), MakeColor(255, 255, 255)}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BlockCopyClipping, CopiesOnlyWhatLiesInBothBitmaps) {
    const auto screen = DeviceContext::Screen();
    auto from = screen->CreateCompatible();
    auto to = screen->CreateCompatible();
    from->Select(Source());
    const BitmapHandle target = Bitmap::CreateCompatible(3, 3);
    to->Select(target);
    // Source block from (-1, 1): its first column and its second row lie outside the source.
    ASSERT_TRUE(gdi::BitBlt(*to, 1, 1, 10, 10, *from, -1, 1));
    EXPECT_EQ(target->GetPixel(1, 1), MakeColor(0, 0, 0));
    EXPECT_EQ(target->GetPixel(2, 1), MakeColor(0, 0, 0)) << "source column 0 of row 1";
    EXPECT_EQ(target->GetPixel(2, 2), MakeColor(0, 0, 0));
    // Far outside: nothing happens.
    ASSERT_TRUE(
        gdi::BitBlt(*to, INT32_MAX, INT32_MIN, INT32_MAX, INT32_MAX, *from, INT32_MIN, INT32_MAX));
}

TEST(BlockCopyClipping, OverlappingCopyWithinOneBitmap) {
    auto memory = DeviceContext::Screen()->CreateCompatible();
    const BitmapHandle surface = Source();
    memory->Select(surface);
    ASSERT_TRUE(gdi::BitBlt(*memory, 1, 0, 3, 2, *memory, 0, 0));
    EXPECT_EQ(surface->GetPixel(0, 0), MakeColor(255, 0, 0));
    EXPECT_EQ(surface->GetPixel(1, 0), MakeColor(255, 0, 0));
    EXPECT_EQ(surface->GetPixel(2, 0), MakeColor(100, 100, 100));
    EXPECT_EQ(surface->GetPixel(3, 0), MakeColor(200, 200, 200));
}

TEST(BitmapDimensionsTest, HeightIsPositiveAndNullHasNone) {
    EXPECT_FALSE(gdi::GetBitmapDimensions(nullptr).has_value());
    const auto dims = gdi::GetBitmapDimensions(Bitmap::CreateDibSection(
        Info({.width = 7, .height = -5, .bitCount = 8, .colors = Table(256)})));
    ASSERT_TRUE(dims.has_value());
    EXPECT_EQ(dims->width, 7);
    EXPECT_EQ(dims->height, 5);
    EXPECT_EQ(dims->bitsPerPixel, 8);
}

}  // namespace
