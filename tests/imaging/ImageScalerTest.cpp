#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "imaging/BitmapObject.h"
#include "imaging/ImageScaler.h"

using imaging::ColorList;
using imaging::ImageScaler;

namespace {

// One row whose red channel at column c (from 1) is c * step.
ColorList Row(int width, int step = 1) {
    ColorList row(width);
    for (int c = 1; c <= width; ++c) row[c - 1] = static_cast<std::uint32_t>(c * step);
    return row;
}

struct NearestCase {
    int from;
    int to;
    std::vector<std::uint32_t> first;  // the columns taken first
    std::vector<std::uint32_t> last;   // and last
};

class NearestColumns : public testing::TestWithParam<NearestCase> {};

TEST_P(NearestColumns, TakeTheEndOfEachSpan) {
    const NearestCase c = GetParam();
    ColorList out;
    ASSERT_TRUE(ImageScaler().ResampleNearest(Row(c.from), c.from, 1, c.to, 1, &out));
    ASSERT_EQ(out.size(), std::size_t(c.to));
    EXPECT_EQ(ColorList(out.begin(), out.begin() + c.first.size()), c.first);
    EXPECT_EQ(ColorList(out.end() - c.last.size(), out.end()), c.last);
    for (std::uint32_t column : out) {
        EXPECT_GE(column, 1u);
        EXPECT_LE(column, std::uint32_t(c.from));
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, NearestColumns,
                         testing::Values(NearestCase{112, 56, {2, 4, 6, 8}, {108, 110, 112}},
                                         NearestCase{100, 56, {1, 3, 5, 7, 8, 10}, {96, 98, 99}},
                                         NearestCase{56, 56, {1, 2, 3}, {54, 55, 56}},
                                         NearestCase{28, 56, {1, 1, 1, 2, 2, 3, 3}, {27, 27, 28}},
                                         NearestCase{1, 56, {1, 1, 1}, {1, 1, 1}}));

TEST(ResampleNearest, HalvingKeepsEvenRowsAndColumns) {
    ColorList source(112 * 112);
    for (int r = 1; r <= 112; ++r) {
        for (int c = 1; c <= 112; ++c) source[(r - 1) * 112 + (c - 1)] = r * 1000 + c;
    }
    ColorList out;
    ASSERT_TRUE(ImageScaler().ResampleNearest(source, 112, 112, 56, 56, &out));
    for (int i = 1; i <= 56; ++i) {
        for (int j = 1; j <= 56; ++j) {
            ASSERT_EQ(out[(i - 1) * 56 + (j - 1)], std::uint32_t(2 * i * 1000 + 2 * j));
        }
    }
}

TEST(ResampleNearest, SameSizeCopiesAndOnePixelFillsEverything) {
    ColorList source(56 * 56);
    std::iota(source.begin(), source.end(), 7u);
    ColorList out;
    ASSERT_TRUE(ImageScaler().ResampleNearest(source, 56, 56, 56, 56, &out));
    EXPECT_EQ(out, source);
    for (auto resample : {&ImageScaler::ResampleNearest, &ImageScaler::ResampleAverage}) {
        ASSERT_TRUE((ImageScaler().*resample)(ColorList{0x123456}, 1, 1, 56, 56, &out));
        EXPECT_EQ(out, ColorList(3136, 0x123456));
    }
}

TEST(Resample, HundredToFiftySixNeverReadsColumnOrRowHundred) {
    ColorList source(100 * 100, 0);
    for (int k = 0; k < 100; ++k) {
        source[k * 100 + 99] = 0xFFFFFF;  // column 100
        source[99 * 100 + k] = 0xFFFFFF;  // row 100
    }
    for (auto resample : {&ImageScaler::ResampleNearest, &ImageScaler::ResampleAverage}) {
        ColorList out;
        ASSERT_TRUE((ImageScaler().*resample)(source, 100, 100, 56, 56, &out));
        EXPECT_EQ(out, ColorList(56 * 56, 0));
    }
}

TEST(ResampleAverage, FourByFourToTwoByTwoWeighsTheLastColumnAndRowDouble) {
    // Each 2 x 2 block: red 0, 30 / 60, 90; green and blue the same values reversed and halved;
    // a top byte that must be ignored.
    const std::uint32_t tl = 0xFF000000 | 0 | (90 << 8) | (45 << 16);
    const std::uint32_t tr = 0xFF000000 | 30 | (60 << 8) | (30 << 16);
    const std::uint32_t bl = 0xFF000000 | 60 | (30 << 8) | (15 << 16);
    const std::uint32_t br = 0xFF000000 | 90 | (0 << 8) | (0 << 16);
    ColorList source;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c)
            source.push_back(r % 2 == 0 ? (c % 2 == 0 ? tl : tr) : (c % 2 == 0 ? bl : br));
    }
    ColorList out;
    ASSERT_TRUE(ImageScaler().ResampleAverage(source, 4, 4, 2, 2, &out));
    // red (0 + 2*30 + 2*60 + 4*90) / 9 = 60; green (90 + 120 + 60 + 0) / 9 = 30;
    // blue (45 + 60 + 30 + 0) / 9 = 15.
    EXPECT_EQ(out, ColorList(4, 60 | (30 << 8) | (15 << 16)));
}

struct AverageCase {
    int from;
    int to;
    int step;  // red of source column c is c * step
    std::uint32_t first;
    std::uint32_t second;
    std::uint32_t last;
};

class AverageColumns : public testing::TestWithParam<AverageCase> {};

TEST_P(AverageColumns, SumTheSpanWithItsEndRepeated) {
    const AverageCase c = GetParam();
    ColorList out;
    ASSERT_TRUE(ImageScaler().ResampleAverage(Row(c.from, c.step), c.from, 1, c.to, 1, &out));
    ASSERT_EQ(out.size(), std::size_t(c.to));
    EXPECT_EQ(out[0], c.first);
    EXPECT_EQ(out[1], c.second);
    EXPECT_EQ(out.back(), c.last);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, AverageColumns,
    testing::Values(AverageCase{4, 2, 3, (3 + 6 + 6) / 3, (9 + 12 + 12) / 3, (9 + 12 + 12) / 3},
                    AverageCase{3, 2, 3, (3 + 3) / 2, (6 + 9) / 2, (6 + 9) / 2},
                    AverageCase{5, 2, 3, (3 + 6 + 6) / 3, (9 + 12 + 15) / 3, (9 + 12 + 15) / 3},
                    AverageCase{100, 56, 1, 1, (2 + 3) / 2, 99}, AverageCase{28, 56, 1, 1, 1, 28}));

TEST(ResampleAverage, EnlargingEqualsNearest) {
    ColorList source(7 * 5);
    std::iota(source.begin(), source.end(), 1u);
    ColorList nearest, average;
    ASSERT_TRUE(ImageScaler().ResampleNearest(source, 7, 5, 30, 11, &nearest));
    ASSERT_TRUE(ImageScaler().ResampleAverage(source, 7, 5, 30, 11, &average));
    EXPECT_EQ(average, nearest);
}

struct FailureCase {
    const char* name;
    std::size_t entries;
    int sw, sh, dw, dh;
};

class ResampleFailure : public testing::TestWithParam<FailureCase> {};

TEST_P(ResampleFailure, LeavesTheDestinationAsItWas) {
    const FailureCase c = GetParam();
    const ColorList source(c.entries, 0x010203);
    for (auto resample : {&ImageScaler::ResampleNearest, &ImageScaler::ResampleAverage}) {
        ColorList out = {42, 43};
        EXPECT_FALSE((ImageScaler().*resample)(source, c.sw, c.sh, c.dw, c.dh, &out));
        EXPECT_EQ(out, (ColorList{42, 43}));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ResampleFailure,
                         testing::Values(FailureCase{"ShortSource", 15, 4, 4, 2, 2},
                                         FailureCase{"EmptySource", 0, 1, 1, 2, 2},
                                         FailureCase{"SourceWidthZero", 16, 0, 4, 2, 2},
                                         FailureCase{"SourceHeightZero", 16, 4, 0, 2, 2},
                                         FailureCase{"TargetWidthZero", 16, 4, 4, 0, 2},
                                         FailureCase{"TargetHeightZero", 16, 4, 4, 2, 0},
                                         FailureCase{"BothSourceSidesNegative", 16, -2, -2, 2, 2},
                                         FailureCase{"BothTargetSidesNegative", 16, 4, 4, -2, -2},
                                         FailureCase{"TargetPastThePictureLimit", 16, 4, 4, 5000,
                                                     5000}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WritePixels, MakesA24BitPictureTopRowFirst) {
    imaging::BitmapObject bitmap;
    ASSERT_TRUE(ImageScaler().WritePixels(bitmap, {1, 2, 3, 4, 5, 6, 99}, 3, 2));
    EXPECT_EQ(bitmap.BitCount(), 24);
    EXPECT_EQ(bitmap.Width(), 3);
    EXPECT_EQ(bitmap.ReadPixel(2, 0), 3u);
    EXPECT_EQ(bitmap.ReadPixel(0, 1), 4u);
    ColorList back;
    ASSERT_TRUE(ImageScaler().ReadPixels(bitmap, &back));
    EXPECT_EQ(back, (ColorList{1, 2, 3, 4, 5, 6}));
}

TEST(WritePixels, RefusesShortListsAndEmptySizesLeavingTheBitmap) {
    imaging::BitmapObject bitmap;
    ASSERT_TRUE(bitmap.CreateBlank(2, 2, 24));
    ASSERT_TRUE(bitmap.WritePixel(1, 1, 0x0000FF));
    const ByteSet before = bitmap.ToBmpBytes();
    EXPECT_FALSE(ImageScaler().WritePixels(bitmap, ColorList(3135, 5), 56, 56));
    EXPECT_FALSE(ImageScaler().WritePixels(bitmap, ColorList(10, 5), 0, 3));
    EXPECT_FALSE(ImageScaler().WritePixels(bitmap, ColorList(10, 5), -2, -2));
    EXPECT_EQ(bitmap.ToBmpBytes(), before);
}

TEST(ReadPixels, EmptyBitmapLeavesTheList) {
    imaging::BitmapObject bitmap;
    ColorList list = {7};
    EXPECT_FALSE(ImageScaler().ReadPixels(bitmap, &list));
    EXPECT_EQ(list, ColorList{7});
}

TEST(ColorAtTest, InsideAndPastTheEnds) {
    const ImageScaler scaler;
    ColorList list = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(scaler.ColorAt(list, 3, 3, 2), 6u);
    EXPECT_EQ(scaler.ColorAt(list, 3, 1, 3), 0u);
    EXPECT_EQ(scaler.ColorAt(list, 3, 0, 1), 0u);
    EXPECT_EQ(scaler.ColorAt({}, 3, 1, 1), 0u);
    scaler.SetColorAt(&list, 3, 2, 1, 20);
    scaler.SetColorAt(&list, 3, 1, 3, 30);
    scaler.SetColorAt(&list, 3, 0, 0, 40);
    EXPECT_EQ(list, (ColorList{1, 20, 3, 4, 5, 6}));
}

}  // namespace
