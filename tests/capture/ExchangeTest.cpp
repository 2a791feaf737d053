#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "imaging/BitmapObject.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DeviceContext.h"
#include "tests/capture/Pictures.h"

// The bitmap object's exchanges that need no display: BMP images in memory, device contexts,
// attached surfaces, depth conversion and copies between objects.
namespace {

using capturetest::AtDepth;
using capturetest::Gradient;
using capturetest::IsEmpty;
using capturetest::Paint;
using capturetest::PictureIs;
using gdi::MakeColor;
using imaging::BitmapObject;

void Put16(ByteSet& bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<std::uint8_t>(value);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(ByteSet& bytes, std::size_t at, std::uint32_t value) {
    Put16(bytes, at, static_cast<std::uint16_t>(value));
    Put16(bytes, at + 2, static_cast<std::uint16_t>(value >> 16));
}

// The BMP image of a 13 x 7 gradient at `bitCount` bits.
ByteSet GradientImage(int bitCount) {
    BitmapObject bitmap;
    Paint(bitmap, 13, 7, bitCount, Gradient);
    return bitmap.ToBmpBytes();
}

class BmpImageRoundTrip : public testing::TestWithParam<int> {};

TEST_P(BmpImageRoundTrip, GivesBackTheSamePictureAndBytes) {
    const ByteSet image = GradientImage(GetParam());
    BitmapObject bitmap;
    ASSERT_TRUE(bitmap.LoadFromBmpImage(image));
    EXPECT_EQ(bitmap.BitCount(), GetParam());
    EXPECT_EQ(bitmap.SurfaceBitCount(), GetParam());
    EXPECT_TRUE(PictureIs(bitmap, 13, 7, Gradient));
    EXPECT_EQ(bitmap.ToBmpBytes(), image);
}

INSTANTIATE_TEST_SUITE_P(Depths, BmpImageRoundTrip, testing::Values(1, 4, 8, 16, 24, 32));

struct BadImage {
    std::string name;
    std::function<void(ByteSet&)> spoil;
};

class BmpImageRefused : public testing::TestWithParam<BadImage> {};

TEST_P(BmpImageRefused, LeavesTheObjectEmpty) {
    ByteSet image = GradientImage(24);
    GetParam().spoil(image);
    BitmapObject bitmap;
    ASSERT_TRUE(bitmap.CreateBlank(2, 2, 24));
    EXPECT_FALSE(bitmap.LoadFromBmpImage(image));
    EXPECT_TRUE(IsEmpty(bitmap));
}

INSTANTIATE_TEST_SUITE_P(Cases, BmpImageRefused,
                         testing::Values(
                             // Only the low 16 bits count: 65536 reads as 0.
                             BadImage{"Width65536", [](ByteSet& b) { Put32(b, 18, 65536); }},
                             // Reads as 1, while the record says 65537.
                             BadImage{"Width65537", [](ByteSet& b) { Put32(b, 18, 65537); }},
                             BadImage{"HeightZero", [](ByteSet& b) { Put32(b, 22, 0); }},
                             BadImage{"Only54Bytes", [](ByteSet& b) { b.resize(54); }},
                             BadImage{"Empty", [](ByteSet& b) { b.clear(); }},
                             BadImage{"Depth2", [](ByteSet& b) { Put16(b, 28, 2); }},
                             BadImage{"CutShort", [](ByteSet& b) { b.pop_back(); }},
                             BadImage{"TrailingByte", [](ByteSet& b) { b.push_back(0); }},
                             BadImage{"Compressed", [](ByteSet& b) { Put32(b, 30, 1); }},
                             // Too few bytes for the record the header asks for.
                             BadImage{"TallerThanTheFile", [](ByteSet& b) { Put32(b, 22, 4000); }}),
                         [](const auto& info) { return info.param.name; });

TEST(BmpImage, IndexedPictureKeepsTheFilesColours) {
    // An 8-bit file whose table gives entry 5 a colour of its own, every pixel entry 5.
    ByteSet image = GradientImage(8);
    const std::size_t table = 54;
    image[table + 4 * 5 + 0] = 30;  // blue
    image[table + 4 * 5 + 1] = 20;  // green
    image[table + 4 * 5 + 2] = 10;  // red
    std::fill(image.begin() + table + 1024, image.end(), 5);
    BitmapObject bitmap;
    ASSERT_TRUE(bitmap.LoadFromBmpImage(image));
    EXPECT_EQ(bitmap.ReadPixel(0, 0), MakeColor(10, 20, 30));
    EXPECT_EQ(bitmap.ToBmpBytes(), image);
}

// A memory context holding a 40 x 30 gradient in the display's format.
struct GradientContext {
    GradientContext() : bitmap(gdi::Bitmap::CreateCompatible(40, 30)) {
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < 40; ++x) bitmap->SetPixel(x, y, Gradient(x, y));
        }
        dc->Select(bitmap);
    }
    gdi::BitmapHandle bitmap;
    std::unique_ptr<gdi::DeviceContext> dc = gdi::DeviceContext::Screen()->CreateCompatible();
};

class CaptureDcAtDepth : public testing::TestWithParam<int> {};

TEST_P(CaptureDcAtDepth, HoldsTheArea) {
    GradientContext source;
    BitmapObject bitmap;
    ASSERT_TRUE(bitmap.CaptureDC(*source.dc, {10, 5, 30, 25}, GetParam()));
    EXPECT_EQ(bitmap.BitCount(), GetParam());
    EXPECT_TRUE(PictureIs(bitmap, 20, 20, [](int x, int y) { return Gradient(10 + x, 5 + y); }));
}

INSTANTIATE_TEST_SUITE_P(Depths, CaptureDcAtDepth, testing::Values(1, 4, 8, 16, 24, 32));

TEST(CaptureDc, AreaPastTheContextsPictureIsBlackThere) {
    GradientContext source;
    BitmapObject bitmap;
    ASSERT_TRUE(bitmap.CaptureDC(*source.dc, {30, 20, 50, 40}, 24));
    EXPECT_TRUE(PictureIs(bitmap, 20, 20, [](int x, int y) {
        return x < 10 && y < 10 ? Gradient(30 + x, 20 + y) : MakeColor(0, 0, 0);
    }));
}

TEST(CaptureDc, Refusals) {
    GradientContext source;
    const auto screen = gdi::DeviceContext::Screen();
    struct Case {
        const char* name;
        const gdi::DeviceContext* dc;
        gdi::Rect area;
        int bitCount;
    };
    for (const Case& c :
         {Case{"depth 2", source.dc.get(), {0, 0, 4, 4}, 2},
          Case{"depth 0", source.dc.get(), {0, 0, 4, 4}, 0},
          Case{"no width", source.dc.get(), {5, 0, 5, 4}, 24},
          Case{"upside down", source.dc.get(), {0, 4, 4, 0}, 24},
          Case{"past the limits", source.dc.get(), {-2000000000, 0, 2000000000, 1}, 24},
          Case{"the screen's context", screen.get(), {0, 0, 4, 4}, 24}}) {
        BitmapObject bitmap;
        ASSERT_TRUE(bitmap.CreateBlank(2, 2, 24));
        EXPECT_FALSE(bitmap.CaptureDC(*c.dc, c.area, c.bitCount)) << c.name;
        EXPECT_TRUE(IsEmpty(bitmap)) << c.name;
    }
}

TEST(CaptureDc, OwnContextGivesTheOldPicture) {
    BitmapObject bitmap;
    Paint(bitmap, 20, 10, 24, Gradient);
    ASSERT_TRUE(bitmap.CaptureDC(*bitmap.GetMemoryDC(), {5, 2, 15, 8}, 32));
    EXPECT_TRUE(PictureIs(bitmap, 10, 6, [](int x, int y) { return Gradient(5 + x, 2 + y); }));
}

// A DIB section as the record's header and table describe it, and that record.
struct Section {
    explicit Section(int width, int height, int bitCount) {
        BitmapObject maker;
        maker.CreateBlank(width, height, bitCount);
        const ByteSet image = maker.ToBmpBytes();
        record.assign(image.begin() + 14, image.end());
        dib = gdi::Bitmap::CreateDibSection(
            std::span(record).first(40 + static_cast<std::size_t>(maker.ColorTableByteCount())));
    }
    ByteSet record;
    gdi::BitmapHandle dib;
};

TEST(Attach, TakesTheSurfaceAndItsRecord) {
    Section section(6, 4, 24);
    section.dib->SetPixel(2, 1, MakeColor(1, 2, 3));
    BitmapObject bitmap;
    ASSERT_TRUE(bitmap.Attach(section.dib, section.record));
    EXPECT_EQ(bitmap.GetDib(), section.dib);
    EXPECT_EQ(bitmap.Width(), 6);
    EXPECT_EQ(bitmap.Height(), 4);
    EXPECT_EQ(bitmap.BitCount(), 24);
    EXPECT_EQ(bitmap.ReadPixel(2, 1), MakeColor(1, 2, 3));
    // Pixel writes reach the record through the shared surface.
    ASSERT_TRUE(bitmap.WritePixel(0, 0, MakeColor(9, 8, 7)));
    const ByteSet image = bitmap.ToBmpBytes();
    const std::size_t topRow = 54 + 3 * 20;
    EXPECT_EQ(ByteSet(image.begin() + topRow, image.begin() + topRow + 3), (ByteSet{7, 8, 9}));
    EXPECT_EQ(section.dib->GetPixel(0, 0), MakeColor(9, 8, 7));
}

TEST(Attach, Refusals) {
    struct Case {
        std::string name;
        std::function<gdi::BitmapHandle()> dib;
        std::function<ByteSet(ByteSet)> record;
    };
    Section section(6, 4, 24);
    BitmapObject holder;
    ASSERT_TRUE(holder.CreateBlank(6, 4, 24));
    const auto same = [](ByteSet r) { return r; };
    const std::vector<Case> cases = {
        {"no surface", [] { return gdi::BitmapHandle(); }, same},
        {"record one byte short", [&] { return section.dib; },
         [](ByteSet r) {
             r.pop_back();
             return r;
         }},
        {"record of another width", [&] { return section.dib; },
         [](ByteSet r) {
             Put32(r, 4, 7);
             return r;
         }},
        {"record of another depth", [&] { return Section(6, 4, 32).dib; }, same},
        {"top-down surface",
         [&] {
             ByteSet info(section.record.begin(), section.record.begin() + 40);
             Put32(info, 8, static_cast<std::uint32_t>(-4));
             return gdi::Bitmap::CreateDibSection(info);
         },
         same},
        {"not a DIB section", [] { return gdi::Bitmap::CreateCompatible(6, 4); }, same},
        {"held by another object", [&] { return holder.GetDib(); }, same},
    };
    for (const Case& c : cases) {
        BitmapObject bitmap;
        ASSERT_TRUE(bitmap.CreateBlank(2, 2, 24));
        EXPECT_FALSE(bitmap.Attach(c.dib(), c.record(section.record))) << c.name;
        EXPECT_TRUE(IsEmpty(bitmap)) << c.name;
    }
}

TEST(ConvertDepth, From32To24KeepsThePicture) {
    BitmapObject bitmap;
    Paint(bitmap, 13, 7, 32, Gradient);
    ASSERT_TRUE(bitmap.ConvertDepth(24));
    EXPECT_EQ(bitmap.BitCount(), 24);
    EXPECT_EQ(bitmap.SurfaceBitCount(), 24);
    EXPECT_EQ(bitmap.RowStride(), 40);  // 13 x 3 bytes, padded to 4
    EXPECT_FALSE(bitmap.IsDirty());
    EXPECT_TRUE(PictureIs(bitmap, 13, 7, Gradient));
    // The record, not only the surface, holds the converted picture.
    BitmapObject reloaded;
    ASSERT_TRUE(reloaded.LoadFromBmpImage(bitmap.ToBmpBytes()));
    EXPECT_TRUE(PictureIs(reloaded, 13, 7, Gradient));
}

class ConvertTo : public testing::TestWithParam<int> {};

TEST_P(ConvertTo, GivesThePictureAtThatDepth) {
    BitmapObject bitmap;
    Paint(bitmap, 9, 5, 24, Gradient);
    ASSERT_TRUE(bitmap.ConvertDepth(GetParam()));
    EXPECT_EQ(bitmap.BitCount(), GetParam());
    EXPECT_EQ(bitmap.RowStride(), BitmapObject::StrideForBits(9 * GetParam()));
    EXPECT_TRUE(PictureIs(bitmap, 9, 5, Gradient));
}

INSTANTIATE_TEST_SUITE_P(Depths, ConvertTo, testing::Values(1, 4, 8, 16, 24, 32));

TEST(ConvertDepth, RefusedDepthOrEmptyObjectChangesNothing) {
    BitmapObject bitmap;
    Paint(bitmap, 5, 3, 24, Gradient);
    const ByteSet before = bitmap.ToBmpBytes();
    for (int depth : {0, 2, 15, 64}) {
        EXPECT_FALSE(bitmap.ConvertDepth(depth)) << depth;
        EXPECT_EQ(bitmap.ToBmpBytes(), before) << depth;
    }
    BitmapObject empty;
    EXPECT_FALSE(empty.ConvertDepth(24));
    EXPECT_TRUE(IsEmpty(empty));
}

TEST(ConvertDepth, TakesAPixelWrittenJustBefore) {
    BitmapObject bitmap;
    ASSERT_TRUE(bitmap.CreateBlank(3, 3, 32));
    ASSERT_TRUE(bitmap.WritePixel(1, 1, MakeColor(200, 100, 50)));
    ASSERT_TRUE(bitmap.ConvertDepth(24));
    EXPECT_EQ(bitmap.ReadPixel(1, 1), MakeColor(200, 100, 50));
    const ByteSet pixels = bitmap.PixelBytes();
    EXPECT_EQ(ByteSet(pixels.begin() + 12 + 3, pixels.begin() + 12 + 6), (ByteSet{50, 100, 200}));
}

TEST(DrawTo, DefaultsCopyTheWholePictureToTheTargetsCorner) {
    BitmapObject source;
    Paint(source, 10, 6, 24, Gradient);
    BitmapObject target;
    ASSERT_TRUE(target.CreateBlank(16, 12, 32));
    ASSERT_TRUE(source.DrawTo(target));
    EXPECT_TRUE(PictureIs(target, 16, 12, [](int x, int y) {
        return x < 10 && y < 6 ? Gradient(x, y) : MakeColor(0, 0, 0);
    }));
    // The target's record was refreshed: its BMP image holds the picture.
    BitmapObject copy;
    ASSERT_TRUE(copy.LoadFromBmpImage(target.ToBmpBytes()));
    EXPECT_EQ(copy.ReadPixel(9, 5), Gradient(9, 5));
}

TEST(DrawTo, BlockToAPlace) {
    BitmapObject source;
    Paint(source, 10, 6, 24, Gradient);
    BitmapObject target;
    ASSERT_TRUE(target.CreateBlank(8, 8, 8));
    ASSERT_TRUE(source.DrawTo(
        target, {.srcX = 2, .srcY = 1, .width = 3, .height = 2, .dstX = 4, .dstY = 5}));
    EXPECT_TRUE(PictureIs(target, 8, 8, [](int x, int y) {
        return x >= 4 && x < 7 && y >= 5 && y < 7 ? Gradient(x - 2, y - 4) : MakeColor(0, 0, 0);
    }));
}

TEST(DrawTo, OntoItselfMovesABlock) {
    BitmapObject bitmap;
    Paint(bitmap, 8, 4, 24, Gradient);
    ASSERT_TRUE(bitmap.DrawTo(bitmap, {.width = 4, .dstX = 2}));
    EXPECT_TRUE(PictureIs(bitmap, 8, 4, [](int x, int y) {
        return x >= 2 && x < 6 ? Gradient(x - 2, y) : Gradient(x, y);
    }));
}

TEST(DrawTo, NeedsTwoSurfaces) {
    BitmapObject picture;
    ASSERT_TRUE(picture.CreateBlank(4, 4, 24));
    BitmapObject empty;
    EXPECT_FALSE(empty.DrawTo(picture));
    EXPECT_FALSE(picture.DrawTo(empty));
    EXPECT_TRUE(IsEmpty(empty));
}

}  // namespace
