#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/display/PixelFormat.h"
#include "platform/gdi/Bitmap.h"

// The pixel layouts of X images, both ways.
namespace {

using display::PixelFormat;
using gdi::MakeColor;
using Bytes = std::vector<std::uint8_t>;

struct FormatCase {
    std::string name;
    PixelFormat format;
    // Red (255, 0, 0), then (16, 32, 64), as one row of two pixels, padding included.
    Bytes row;
};

const std::vector<FormatCase> kFormats = {
    {"Depth24In32Bits", {}, {0, 0, 255, 0, 64, 32, 16, 0}},
    {"Depth24In32BitsMsbFirst", {.msbFirst = true}, {0, 255, 0, 0, 0, 16, 32, 64}},
    {"Packed24Bits", {.bitsPerPixel = 24}, {0, 0, 255, 64, 32, 16, 0, 0}},
    // 5, 6 and 5 bits: (16, 32, 64) is (2, 8, 8), 0x1108.
    {"Rgb565",
     {.bitsPerPixel = 16, .redMask = 0xF800, .greenMask = 0x07E0, .blueMask = 0x001F},
     {0x00, 0xF8, 0x08, 0x11}},
    // (16, 32, 64) is (2, 4, 8), 0x0888.
    {"Rgb555MsbFirst",
     {.bitsPerPixel = 16,
      .msbFirst = true,
      .redMask = 0x7C00,
      .greenMask = 0x03E0,
      .blueMask = 0x001F},
     {0x7C, 0x00, 0x08, 0x88}},
    // 3, 3 and 2 bits: (16, 32, 64) is (0, 1, 1).
    {"Rgb332",
     {.bitsPerPixel = 8, .scanlinePad = 8, .redMask = 0xE0, .greenMask = 0x1C, .blueMask = 0x03},
     {0xE0, 0x05}},
};

class Formats : public testing::TestWithParam<FormatCase> {};

TEST_P(Formats, WriteGivesTheServersBytes) {
    const gdi::BitmapHandle bitmap = gdi::Bitmap::CreateCompatible(2, 1);
    bitmap->SetPixel(0, 0, MakeColor(255, 0, 0));
    bitmap->SetPixel(1, 0, MakeColor(16, 32, 64));
    EXPECT_EQ(display::WriteImage(*bitmap, 0, 1, 2, GetParam().format), GetParam().row);
}

TEST_P(Formats, ReadGivesTheColoursBackAsNearAsTheFormatHolds) {
    const gdi::BitmapHandle bitmap = gdi::Bitmap::CreateCompatible(2, 1);
    ASSERT_TRUE(display::ReadImage(GetParam().row, 2, 1, GetParam().format, *bitmap, 0, 0));
    EXPECT_EQ(bitmap->GetPixel(0, 0), MakeColor(255, 0, 0));
    // Written and read again, the colour comes back to itself.
    const Bytes again = display::WriteImage(*bitmap, 0, 1, 2, GetParam().format);
    EXPECT_EQ(again, GetParam().row);
}

INSTANTIATE_TEST_SUITE_P(Layouts, Formats, testing::ValuesIn(kFormats),
                         [](const auto& info) { return info.param.name; });

TEST(PixelFormat, RowsArePaddedToTheScanlineUnit) {
    EXPECT_EQ((PixelFormat{.bitsPerPixel = 16}).Stride(3), 8u);
    EXPECT_EQ((PixelFormat{.bitsPerPixel = 16, .scanlinePad = 16}).Stride(3), 6u);
    EXPECT_EQ((PixelFormat{.bitsPerPixel = 24}).Stride(5), 16u);
    EXPECT_EQ((PixelFormat{.bitsPerPixel = 8, .scanlinePad = 8}).Stride(5), 5u);
}

TEST(PixelFormat, UnusableLayoutsAreRefused) {
    for (const PixelFormat& f : {PixelFormat{.bitsPerPixel = 4}, PixelFormat{.scanlinePad = 12},
                                 PixelFormat{.blueMask = 0},
                                 PixelFormat{.bitsPerPixel = 16}}) {  // masks wider than 16 bits
        EXPECT_FALSE(f.Usable());
        const gdi::BitmapHandle bitmap = gdi::Bitmap::CreateCompatible(1, 1);
        EXPECT_FALSE(display::ReadImage(Bytes(8), 1, 1, f, *bitmap, 0, 0));
        EXPECT_TRUE(display::WriteImage(*bitmap, 0, 1, 1, f).empty());
    }
}

TEST(ReadImage, ShortDataWritesNothing) {
    const gdi::BitmapHandle bitmap = gdi::Bitmap::CreateCompatible(2, 2);
    bitmap->Fill(0, 0, 2, 2, MakeColor(1, 2, 3));
    EXPECT_FALSE(display::ReadImage(Bytes(15), 2, 2, {}, *bitmap, 0, 0));
    EXPECT_EQ(bitmap->GetPixel(1, 1), MakeColor(1, 2, 3));
}

TEST(ReadImage, IsClippedToTheTarget) {
    // A 3 x 3 image of pixels 0x00RRGGBB = row * 16 + column at (-1, 1) of a 3 x 3 target.
    Bytes image;
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) image.insert(image.end(), {std::uint8_t(y * 16 + x), 0, 0, 0});
    }
    const gdi::BitmapHandle bitmap = gdi::Bitmap::CreateCompatible(3, 3);
    ASSERT_TRUE(display::ReadImage(image, 3, 3, {}, *bitmap, -1, 1));
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            const bool covered = x < 2 && y >= 1;
            const auto blue = static_cast<std::uint8_t>((y - 1) * 16 + x + 1);
            EXPECT_EQ(bitmap->GetPixel(x, y), covered ? MakeColor(0, 0, blue) : 0u)
                << x << ", " << y;
        }
    }
}

}  // namespace
