#include <gtest/gtest.h>

#include <QImage>
#include <QImageWriter>

#include <cstdlib>
#include <string>

#include "imaging/ScalePicture.h"
#include "platform/gdi/Color.h"
#include "tests/imaging/ImageFiles.h"
#include "tests/imaging/TempFolder.h"

using gdi::MakeColor;
using imagefiles::PixelOf;
using imagefiles::Save;
using imaging::ScalePicture;

namespace {

const ByteSet kOneBlackPixel = {'B', 'M', 58, 0, 0, 0, 0, 0, 0,  0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0,
                                0,   0,   1,  0, 0, 0, 1, 0, 24, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0, 0,
                                0,   0,   0,  0, 0, 0, 0, 0, 0,  0, 0,  0, 0, 0, 0,  0, 0, 0};

// A picture whose pixel (x, y) has red 2x, green 2y and blue x + y.
QImage Gradient(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb(2 * x, 2 * y, (x + y) & 0xFF));
    }
    return image;
}

gdi::ColorRef GradientAt(int x, int y) { return MakeColor(2 * x, 2 * y, (x + y) & 0xFF); }

class ScalePictureTest : public testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(temp_.Names().empty()) << "a temporary file remains"; }

    TempFolder temp_;
    ScopedEnv tmpdir_{"TMPDIR", temp_.path().string()};
};

struct LosslessFormat {
    const char* format;
    int quality;
};

class LosslessPicture : public ScalePictureTest,
                        public testing::WithParamInterface<LosslessFormat> {};

TEST_P(LosslessPicture, HalvedKeepsTheEvenRowsAndColumns) {
    const LosslessFormat f = GetParam();
    if (!QImageWriter::supportedImageFormats().contains(QByteArray(f.format).toLower())) {
        GTEST_SKIP() << f.format << " cannot be written here";
    }
    const ByteSet file = Save(Gradient(112, 112), f.format, f.quality);
    ASSERT_FALSE(file.empty());
    const ByteSet bmp = ScalePicture({.image = file, .width = 56, .height = 56, .average = false});
    ASSERT_EQ(bmp.size(), 9462u);
    for (int y = 0; y < 56; ++y) {
        for (int x = 0; x < 56; ++x) {
            ASSERT_EQ(PixelOf(bmp, x, y), GradientAt(2 * x + 1, 2 * y + 1)) << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, LosslessPicture,
                         testing::Values(LosslessFormat{"PNG", -1}, LosslessFormat{"BMP", -1},
                                         LosslessFormat{"WEBP", 100}),
                         [](const auto& info) { return std::string(info.param.format); });

TEST_F(ScalePictureTest, SameSizeGivesItsOwnPixelsBack) {
    const ByteSet bmp =
        ScalePicture({.image = Save(Gradient(56, 56), "PNG"), .width = 56, .height = 56});
    ASSERT_EQ(bmp.size(), 9462u);
    EXPECT_EQ(ByteSet(bmp.begin(), bmp.begin() + 2), (ByteSet{'B', 'M'}));
    EXPECT_EQ(bmp[10], 54);
    EXPECT_EQ(bmp[28], 24);
    for (int y = 0; y < 56; ++y) {
        for (int x = 0; x < 56; ++x) ASSERT_EQ(PixelOf(bmp, x, y), GradientAt(x, y));
    }
}

TEST_F(ScalePictureTest, OnePixelFillsTheWholePicture) {
    QImage one(1, 1, QImage::Format_RGB32);
    one.fill(qRgb(10, 200, 30));
    for (const ByteSet& file : {Save(one, "PNG"), imagefiles::Gif1x1(10, 200, 30)}) {
        for (bool average : {false, true}) {
            const ByteSet bmp =
                ScalePicture({.image = file, .width = 56, .height = 56, .average = average});
            ASSERT_EQ(bmp.size(), 9462u);
            for (int y = 0; y < 56; ++y) {
                for (int x = 0; x < 56; ++x) ASSERT_EQ(PixelOf(bmp, x, y), MakeColor(10, 200, 30));
            }
        }
    }
}

// A 640 x 640 JPEG of four flat quarters: lossy, so only the quarters' colours are compared,
// away from their edges.
TEST_F(ScalePictureTest, JpegQuartersKeepTheirColours) {
    QImage image(640, 640, QImage::Format_RGB32);
    const QRgb quarters[4] = {qRgb(200, 30, 30), qRgb(30, 200, 30), qRgb(30, 30, 200),
                              qRgb(220, 220, 40)};
    for (int y = 0; y < 640; ++y) {
        for (int x = 0; x < 640; ++x) image.setPixel(x, y, quarters[(y / 320) * 2 + x / 320]);
    }
    const ByteSet file = Save(image, "JPEG", 90);
    for (bool average : {false, true}) {
        const ByteSet bmp =
            ScalePicture({.image = file, .width = 56, .height = 56, .average = average});
        ASSERT_EQ(bmp.size(), 9462u);
        for (auto [x, y, q] : {std::tuple{10, 10, 0}, {45, 10, 1}, {10, 45, 2}, {45, 45, 3}}) {
            const gdi::ColorRef got = PixelOf(bmp, x, y);
            EXPECT_NEAR(gdi::RedOf(got), qRed(quarters[q]), 8) << x << "," << y;
            EXPECT_NEAR(gdi::GreenOf(got), qGreen(quarters[q]), 8) << x << "," << y;
            EXPECT_NEAR(gdi::BlueOf(got), qBlue(quarters[q]), 8) << x << "," << y;
        }
    }
}

struct Undecodable {
    const char* name;
    ByteSet bytes;
    int width;
    int height;
};

class UndecodablePicture : public ScalePictureTest,
                           public testing::WithParamInterface<Undecodable> {};

TEST_P(UndecodablePicture, GivesOneBlackPixel) {
    const Undecodable& c = GetParam();
    EXPECT_EQ(ScalePicture({.image = c.bytes, .width = c.width, .height = c.height}),
              kOneBlackPixel);
}

ByteSet Garbage() {
    ByteSet bytes(4096);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7919 >> 3);
    return bytes;
}

ByteSet HalfOf(const ByteSet& file) { return ByteSet(file.begin(), file.begin() + 20); }

ByteSet BmpBomb() {
    ByteSet file = Save(Gradient(2, 2), "BMP");
    for (int i = 0; i < 4; ++i) {
        file[18 + i] = (60000 >> (8 * i)) & 0xFF;
        file[22 + i] = (60000 >> (8 * i)) & 0xFF;
    }
    return file;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UndecodablePicture,
    testing::Values(Undecodable{"EmptyBytes", {}, 56, 56},
                    Undecodable{"Garbage", Garbage(), 56, 56},
                    Undecodable{"PngHeaderOnly", HalfOf(Save(Gradient(8, 8), "PNG")), 56, 56},
                    Undecodable{"WidthZero", Save(Gradient(8, 8), "PNG"), 0, 56},
                    Undecodable{"HeightNegative", Save(Gradient(8, 8), "PNG"), 56, -1},
                    Undecodable{"BothSidesNegative", Save(Gradient(8, 8), "PNG"), -56, -56},
                    Undecodable{"PngDeclaringSixtyThousandSquared",
                                imagefiles::PngDeclaring(60000, 60000), 56, 56},
                    Undecodable{"JpegDeclaringSixtyThousandSquared",
                                imagefiles::JpegDeclaring(60000, 60000), 56, 56},
                    Undecodable{"BmpDeclaringSixtyThousandSquared", BmpBomb(), 56, 56}),
    [](const auto& info) { return std::string(info.param.name); });

// Just past the pixel limit: refused before decoding, though Qt's own default limit would take it.
TEST_F(ScalePictureTest, PictureJustPastThePixelLimitIsRefused) {
    QImage image(4097, 4096, QImage::Format_RGB32);
    image.fill(Qt::white);
    const ByteSet file = Save(image, "PNG");
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(ScalePicture({.image = file, .width = 56, .height = 56}), kOneBlackPixel);
}

}  // namespace
