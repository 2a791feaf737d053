#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/gdi/BmpReader.h"
#include "tests/gdi/BmpBuilder.h"

using bmptest::BmpShape;
using bmptest::BuildBmp;
using bmptest::Bytes;
using gdi::ColorRef;
using gdi::MakeColor;
using gdi::RgbQuad;

namespace {

constexpr ColorRef kRed = MakeColor(255, 0, 0);
constexpr ColorRef kGreen = MakeColor(0, 255, 0);
constexpr ColorRef kBlue = MakeColor(0, 0, 255);
constexpr ColorRef kWhite = MakeColor(255, 255, 255);
constexpr ColorRef kBlack = MakeColor(0, 0, 0);
constexpr ColorRef kGrey = MakeColor(128, 128, 128);

constexpr RgbQuad Quad(std::uint8_t r, std::uint8_t g, std::uint8_t b) { return {b, g, r, 0}; }

// A small picture, its file, and its pixels top row first.
struct ValidCase {
    const char* name;
    BmpShape layout;
    std::vector<std::vector<ColorRef>> rows;
};

std::vector<RgbQuad> Palette256() {
    std::vector<RgbQuad> palette(256);
    palette[5] = Quad(1, 2, 3);
    palette[255] = Quad(250, 251, 252);
    return palette;
}

std::vector<ValidCase> ValidCases() {
    const std::vector<std::vector<ColorRef>> rgbPicture = {{kRed, kGreen, kBlue},
                                                           {kWhite, kBlack, kGrey}};
    const std::vector<RgbQuad> kRgbPalette = {Quad(0, 0, 0), Quad(255, 0, 0), Quad(0, 255, 0),
                                              Quad(0, 0, 255)};
    return {
        {"Rgb24BottomUpWithPadding",
         {.width = 3, .height = 2, .bitCount = 24, .pixels = {0xFF, 0xFF, 0xFF, 0, 0, 0, 0x80, 0x80,
                                                              0x80, 0,    0,    0, 0, 0, 0xFF, 0,
                                                              0xFF, 0,    0xFF, 0, 0, 0, 0,    0}},
         rgbPicture},
        {"Rgb24TopDown",
         {.width = 3, .height = -2, .bitCount = 24, .pixels = {0,    0,    0xFF, 0, 0xFF, 0,
                                                               0xFF, 0,    0,    0, 0,    0,
                                                               0xFF, 0xFF, 0xFF, 0, 0,    0,
                                                               0x80, 0x80, 0x80, 0, 0,    0}},
         rgbPicture},
        {"Rgb32DropsAlpha",
         {.width = 3, .height = 2, .bitCount = 32, .pixels = {0xFF, 0xFF, 0xFF, 0x7F, 0,    0,
                                                              0,    0x7F, 0x80, 0x80, 0x80, 0x7F,
                                                              0,    0,    0xFF, 0x7F, 0,    0xFF,
                                                              0,    0x7F, 0xFF, 0,    0,    0x7F}},
         rgbPicture},
        {"Rgb16Is555",
         {.width = 3,
          .height = 2,
          .bitCount = 16,
          .pixels = {0xFF, 0x7F, 0, 0, 0x10, 0x42, 0, 0, 0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0, 0}},
         {{kRed, kGreen, kBlue}, {kWhite, kBlack, MakeColor(132, 132, 132)}}},
        {"Bitfields16With565Masks",
         {.width = 3,
          .height = 2,
          .bitCount = 16,
          .compression = 3,
          .masks = {0xF800, 0x07E0, 0x001F},
          .pixels = {0xFF, 0xFF, 0, 0, 0x10, 0x84, 0, 0, 0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0, 0}},
         {{kRed, kGreen, kBlue}, {kWhite, kBlack, MakeColor(132, 130, 132)}}},
        {"Bitfields32MasksInV5Header",
         {.headerSize = 124,
          .width = 3,
          .height = 2,
          .bitCount = 32,
          .compression = 3,
          .masks = {0x000000FF, 0x0000FF00, 0x00FF0000},
          .pixels = {0xFF, 0xFF, 0xFF, 0, 0, 0,    0, 0, 0x80, 0x80, 0x80, 0,
                     0xFF, 0,    0,    0, 0, 0xFF, 0, 0, 0,    0,    0xFF, 0}},
         rgbPicture},
        {"Palette1Bit",
         {.width = 3,
          .height = 2,
          .bitCount = 1,
          .palette = {Quad(10, 20, 30), Quad(200, 100, 50)},
          .pixels = {0x60, 0, 0, 0, 0xA0, 0, 0, 0}},
         {{MakeColor(200, 100, 50), MakeColor(10, 20, 30), MakeColor(200, 100, 50)},
          {MakeColor(10, 20, 30), MakeColor(200, 100, 50), MakeColor(200, 100, 50)}}},
        {"Palette4BitWithColorsUsed",
         {.width = 3,
          .height = 2,
          .bitCount = 4,
          .palette = {Quad(0, 0, 0), Quad(255, 0, 0), Quad(0, 255, 0), Quad(0, 0, 255),
                      Quad(255, 255, 255), Quad(128, 128, 128)},
          .pixels = {0x40, 0x50, 0, 0, 0x12, 0x30, 0, 0},
          .colorsUsed = 6},
         rgbPicture},
        {"Palette8IndexPastTableIsBlack",
         {.width = 3,
          .height = 2,
          .bitCount = 8,
          .palette = {Quad(0, 0, 0), Quad(255, 0, 0), Quad(0, 0, 255)},
          .pixels = {2, 2, 7, 0, 1, 2, 0, 0},
          .colorsUsed = 3},
         {{kRed, kBlue, kBlack}, {kBlue, kBlue, kBlack}}},
        {"CoreHeader8Bit",
         {.headerSize = 12,
          .width = 2,
          .height = 1,
          .bitCount = 8,
          .palette = Palette256(),
          .pixels = {5, 255, 0, 0}},
         {{MakeColor(1, 2, 3), MakeColor(250, 251, 252)}}},
        {"CoreHeader24Bit",
         {.headerSize = 12,
          .width = 2,
          .height = 1,
          .bitCount = 24,
          .pixels = {0, 0, 0xFF, 0xFF, 0, 0, 0, 0}},
         {{kRed, kBlue}}},
        {"V4Header24Bit",
         {.headerSize = 108,
          .width = 1,
          .height = 1,
          .bitCount = 24,
          .pixels = {0x30, 0x20, 0x10, 0}},
         {{MakeColor(0x10, 0x20, 0x30)}}},
        {"V3Header16BitIgnoresMasksWithoutBitfields",
         {.headerSize = 56,
          .width = 1,
          .height = 1,
          .bitCount = 16,
          .masks = {0xF800, 0x07E0, 0x001F},
          .pixels = {0x00, 0x7C, 0, 0}},
         {{kRed}}},
        {"V2Header24Bit",
         {.headerSize = 52, .width = 1, .height = 1, .bitCount = 24, .pixels = {0xFF, 0, 0, 0}},
         {{kBlue}}},
        {"Rle8RunsLiteralsJumpAndEnd",
         {.width = 4,
          .height = 3,
          .bitCount = 8,
          .compression = 1,
          .palette = kRgbPalette,
          .pixels = {0x04, 0x01, 0x00, 0x00,  // row 1: 4 x red
                     0x00, 0x03, 0x02, 0x03,
                     0x01, 0x00, 0x01, 0x02,  // row 2: literals, run
                     0x00, 0x00, 0x00, 0x02,
                     0x02, 0x00, 0x02, 0x03,  // row 3: jump 2 right, 2 x blue
                     0x00, 0x01},
          .colorsUsed = 4},
         {{kBlack, kBlack, kBlue, kBlue}, {kGreen, kBlue, kRed, kGreen}, {kRed, kRed, kRed, kRed}}},
        {"Rle8WithoutEndMarkAfterLastRow",
         {.width = 2,
          .height = 1,
          .bitCount = 8,
          .compression = 1,
          .palette = kRgbPalette,
          .pixels = {0x02, 0x03, 0x00, 0x00},
          .colorsUsed = 4},
         {{kBlue, kBlue}}},
        {"Rle4RunsAndLiterals",
         {.width = 5,
          .height = 2,
          .bitCount = 4,
          .compression = 2,
          .palette = kRgbPalette,
          .pixels = {0x05, 0x12, 0x00, 0x00,              // row 1: red green red green red
                     0x00, 0x03, 0x31, 0x20, 0x02, 0x30,  // row 2: blue red green, blue black
                     0x00, 0x01},
          .colorsUsed = 4},
         {{kBlue, kRed, kGreen, kBlue, kBlack}, {kRed, kGreen, kRed, kGreen, kRed}}},
    };
}

class BmpReaderValid : public testing::TestWithParam<ValidCase> {};

TEST_P(BmpReaderValid, DecodesToTheDisplayFormat) {
    const ValidCase& c = GetParam();
    const gdi::BitmapHandle bitmap = gdi::DecodeBmp(BuildBmp(c.layout));
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->BitCount(), 32);
    EXPECT_FALSE(bitmap->IsDibSection());
    ASSERT_EQ(bitmap->Height(), static_cast<int>(c.rows.size()));
    ASSERT_EQ(bitmap->Width(), static_cast<int>(c.rows[0].size()));
    for (std::size_t y = 0; y < c.rows.size(); ++y) {
        for (std::size_t x = 0; x < c.rows[y].size(); ++x) {
            EXPECT_EQ(bitmap->GetPixel(int(x), int(y)), c.rows[y][x]) << "at " << x << "," << y;
        }
    }
}

// Every strict prefix of a good file is a file cut short, and every one-byte change is a file
// from a hostile source: the first must be refused, neither may touch memory it does not own.
TEST_P(BmpReaderValid, CutOrChangedFilesAreSafe) {
    const Bytes file = BuildBmp(GetParam().layout);
    for (std::size_t length = 0; length < file.size(); ++length) {
        const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_EQ(gdi::DecodeBmp(cut), nullptr) << "length " << length;
    }
    for (std::size_t at = 0; at < file.size(); ++at) {
        for (std::uint8_t value : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
            Bytes changed = file;
            changed[at] = value;
            const gdi::BitmapHandle bitmap = gdi::DecodeBmp(changed);
            if (bitmap) {
                EXPECT_EQ(bitmap->BitCount(), 32);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Files, BmpReaderValid, testing::ValuesIn(ValidCases()),
                         [](const auto& info) { return std::string(info.param.name); });

struct RefusedCase {
    const char* name;
    Bytes file;
};

Bytes Rle8(std::int32_t width, std::int32_t height, Bytes stream,
           std::optional<std::uint32_t> sizeImage = std::nullopt) {
    return BuildBmp({.width = width,
                     .height = height,
                     .bitCount = 8,
                     .compression = 1,
                     .palette = {Quad(0, 0, 0), Quad(255, 255, 255)},
                     .pixels = std::move(stream),
                     .colorsUsed = 2,
                     .sizeImage = sizeImage});
}

Bytes Patched(Bytes file, std::size_t at, std::uint32_t value) {
    bmptest::Set32(file, at, value);
    return file;
}

std::vector<RefusedCase> RefusedCases() {
    const Bytes good = BuildBmp({.width = 1, .height = 1, .pixels = {1, 2, 3, 0}});
    return {
        {"Empty", {}},
        {"MagicOnly", {'B', 'M'}},
        {"WrongMagic",
         [&] {
             Bytes file = good;
             file[1] = 'A';
             return file;
         }()},
        {"HeaderSizeZero", Patched(good, 14, 0)},
        {"HeaderSizeUnknown", Patched(good, 14, 64)},
        {"HeaderLongerThanFile", Patched(good, 14, 124)},
        {"WidthZero", Patched(good, 18, 0)},
        {"WidthNegative", Patched(good, 18, static_cast<std::uint32_t>(-3))},
        {"HeightZero", Patched(good, 22, 0)},
        {"HeightMostNegative", Patched(good, 22, 0x80000000u)},
        {"WidthTimesHeightOverflows32Bits",
         BuildBmp({.width = 0x10000, .height = 0x10000, .pixels = {0, 0, 0, 0}})},
        {"DeclaresSixtyThousandSquared",
         BuildBmp({.width = 60000, .height = 60000, .pixels = {0, 0, 0, 0}})},
        {"RleBombSixtyThousandSquared", Rle8(60000, 60000, {0x00, 0x01})},
        {"PlanesTwo", BuildBmp({.width = 1, .height = 1, .planes = 2, .pixels = {1, 2, 3, 0}})},
        {"DepthTwo",
         BuildBmp({.width = 1,
                   .height = 1,
                   .bitCount = 2,
                   .palette = {Quad(0, 0, 0), Quad(1, 1, 1), Quad(2, 2, 2), Quad(3, 3, 3)},
                   .pixels = {0, 0, 0, 0}})},
        {"Rle8At24Bits",
         BuildBmp(
             {.width = 1, .height = 1, .bitCount = 24, .compression = 1, .pixels = {0x00, 0x01}})},
        {"BitfieldsAt24Bits", BuildBmp({.width = 1,
                                        .height = 1,
                                        .bitCount = 24,
                                        .compression = 3,
                                        .masks = {0xFF0000, 0xFF00, 0xFF},
                                        .pixels = {1, 2, 3, 0}})},
        {"JpegInside",
         BuildBmp({.width = 1, .height = 1, .compression = 4, .pixels = {0xFF, 0xD8, 0xFF, 0xD9}})},
        {"BitfieldsMasksCutOff",
         [] {
             Bytes file = BuildBmp({.width = 1,
                                    .height = 1,
                                    .bitCount = 32,
                                    .compression = 3,
                                    .masks = {0xFF0000, 0xFF00, 0xFF}});
             file.resize(62);
             return file;
         }()},
        {"OffsetPastEnd", Patched(good, 10, 1000)},
        {"OffsetMaximal", Patched(good, 10, 0xFFFFFFFFu)},
        {"OffsetInsideHeader", Patched(good, 10, 20)},
        {"PixelsOneByteShort", Bytes(good.begin(), good.end() - 1)},
        {"ColorTableLargerThanFile", BuildBmp({.width = 1,
                                               .height = 1,
                                               .bitCount = 8,
                                               .palette = {Quad(1, 1, 1)},
                                               .pixels = {0, 0, 0, 0},
                                               .colorsUsed = 0xFFFFFFFFu})},
        {"FullColorTableMissing", BuildBmp({.width = 1,
                                            .height = 1,
                                            .bitCount = 8,
                                            .palette = {Quad(1, 1, 1)},
                                            .pixels = {0, 0, 0, 0}})},
        {"RleTopDown", Rle8(1, -1, {0x01, 0x01, 0x00, 0x01})},
        {"RleRunPastRow", Rle8(4, 1, {0x05, 0x01, 0x00, 0x01})},
        {"RleRunsAddUpPastRow", Rle8(4, 1, {0x03, 0x01, 0x02, 0x01, 0x00, 0x01})},
        {"RleLiteralsPastRow", Rle8(2, 1, {0x00, 0x03, 1, 1, 1, 0, 0x00, 0x01})},
        {"RleLiteralsPastData", Rle8(8, 1, {0x00, 0x06, 1, 1})},
        {"RleRunAboveTopRow", Rle8(2, 1, {0x00, 0x00, 0x01, 0x01, 0x00, 0x01})},
        {"RleJumpPastRight", Rle8(2, 2, {0x00, 0x02, 0x03, 0x00, 0x00, 0x01})},
        {"RleJumpPastTop", Rle8(2, 2, {0x00, 0x02, 0x00, 0x03, 0x00, 0x01})},
        {"RleJumpCutShort", Rle8(2, 2, {0x00, 0x02, 0x01})},
        {"RleEndsMidPicture", Rle8(2, 2, {0x02, 0x01, 0x00, 0x00})},
        {"RleSizeImagePastEnd", Rle8(1, 1, {0x01, 0x01, 0x00, 0x01}, 100)},
        {"RleSizeImageHidesEndMark", Rle8(1, 2, {0x01, 0x01, 0x00, 0x01}, 2)},
        {"Rle4RunPastRow", BuildBmp({.width = 3,
                                     .height = 1,
                                     .bitCount = 4,
                                     .compression = 2,
                                     .palette = {Quad(0, 0, 0)},
                                     .pixels = {0x04, 0x00, 0x00, 0x01},
                                     .colorsUsed = 1})},
        {"Rle4LiteralsPastData", BuildBmp({.width = 8,
                                           .height = 1,
                                           .bitCount = 4,
                                           .compression = 2,
                                           .palette = {Quad(0, 0, 0)},
                                           .pixels = {0x00, 0x08, 0x00, 0x00},
                                           .colorsUsed = 1})},
    };
}

class BmpReaderRefused : public testing::TestWithParam<RefusedCase> {};

TEST_P(BmpReaderRefused, GivesNoBitmap) { EXPECT_EQ(gdi::DecodeBmp(GetParam().file), nullptr); }

INSTANTIATE_TEST_SUITE_P(Files, BmpReaderRefused, testing::ValuesIn(RefusedCases()),
                         [](const auto& info) { return std::string(info.param.name); });

class BmpFileTest : public testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("bmp-file-test-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string Write(const std::string& name, const Bytes& bytes) {
        const auto path = folder_ / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }

    std::filesystem::path folder_;
};

TEST_F(BmpFileTest, ReadsAFileByItsUtf8Name) {
    const std::string path =
        Write("图片.bmp", BuildBmp({.width = 1, .height = 1, .pixels = {0x30, 0x20, 0x10, 0}}));
    const gdi::BitmapHandle bitmap = gdi::LoadBmpFile(path);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->GetPixel(0, 0), MakeColor(0x10, 0x20, 0x30));
}

TEST_F(BmpFileTest, RefusesWhatIsNotARegularBmpFile) {
    EXPECT_EQ(gdi::LoadBmpFile((folder_ / "missing.bmp").string()), nullptr);
    EXPECT_EQ(gdi::LoadBmpFile(folder_.string()), nullptr);
    EXPECT_EQ(gdi::LoadBmpFile(Write("empty.bmp", {})), nullptr);
    EXPECT_EQ(gdi::LoadBmpFile(Write("text.bmp", {'h', 'e', 'l', 'l', 'o'})), nullptr);
}

}  // namespace
