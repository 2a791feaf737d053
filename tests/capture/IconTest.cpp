#include <gtest/gtest.h>

#include "imaging/BitmapObject.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Icon.h"
#include "tests/capture/Pictures.h"

// Icons drawn on white into a bitmap object.
namespace {

using capturetest::IsEmpty;
using capturetest::PictureIs;
using gdi::MakeColor;
using imaging::BitmapObject;

constexpr gdi::ColorRef kWhite = MakeColor(255, 255, 255);
constexpr gdi::ColorRef kRed = MakeColor(255, 0, 0);
constexpr gdi::ColorRef kGreen = MakeColor(0, 255, 0);

// A 32-bit DIB section of width x height whose pixel (x, y) is `argb(x, y)` (0xAARRGGBB).
template <typename Argb>
gdi::BitmapHandle Section32(int width, int height, Argb argb) {
    ByteSet info =
        BitmapObject::InfoHeaderBytes({.width = width, .height = -height, .bitCount = 32});
    gdi::BitmapHandle bitmap = gdi::Bitmap::CreateDibSection(info);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = argb(x, y);
            std::uint8_t* at =
                bitmap->Bits().data() + static_cast<std::size_t>(y) * bitmap->Stride() + 4 * x;
            at[0] = static_cast<std::uint8_t>(p);
            at[1] = static_cast<std::uint8_t>(p >> 8);
            at[2] = static_cast<std::uint8_t>(p >> 16);
            at[3] = static_cast<std::uint8_t>(p >> 24);
        }
    }
    return bitmap;
}

// A 16 x 16 icon with alpha: an opaque red 8 x 8 square in the middle, one half-transparent
// green pixel at (0, 15), the rest fully transparent (and black under the alpha).
gdi::IconHandle AlphaIcon() {
    return gdi::CreateIconIndirect({.color = Section32(16, 16, [](int x, int y) -> std::uint32_t {
                                        if (x >= 4 && x < 12 && y >= 4 && y < 12) return 0xFFFF0000;
                                        if (x == 0 && y == 15) return 0x8000FF00;
                                        return 0;
                                    })});
}

TEST(LoadFromIcon, DefaultsGive32By32At32BitsOnWhite) {
    BitmapObject bitmap;
    ASSERT_TRUE(bitmap.LoadFromIcon(AlphaIcon()));
    EXPECT_EQ(bitmap.BitCount(), 32);
    // Stretched twice: the square covers 8 .. 23; the half-transparent pixel 0 .. 1 x 30 .. 31.
    const gdi::ColorRef halfGreen = MakeColor(127, 255, 127);
    EXPECT_TRUE(PictureIs(bitmap, 32, 32, [&](int x, int y) {
        if (x >= 8 && x < 24 && y >= 8 && y < 24) return kRed;
        if (x < 2 && y >= 30) return halfGreen;
        return kWhite;
    }));
}

TEST(LoadFromIcon, SizeAndDepthAsked) {
    BitmapObject bitmap;
    ASSERT_TRUE(bitmap.LoadFromIcon(AlphaIcon(), {.width = 8, .height = 4, .bitCount = 4}));
    EXPECT_EQ(bitmap.BitCount(), 4);
    EXPECT_TRUE(PictureIs(bitmap, 8, 4, [](int x, int y) {
        return x >= 2 && x < 6 && y >= 1 && y < 3 ? kRed : kWhite;
    }));
}

TEST(LoadFromIcon, MaskLetsTheWhiteShowThrough) {
    // Without alpha: the mask is white (see-through) around a 2 x 2 centre, the picture black
    // there and green in the centre.
    auto inside = [](int x, int y) { return x >= 1 && x < 3 && y >= 1 && y < 3; };
    const gdi::BitmapHandle color = gdi::Bitmap::CreateCompatible(4, 4);
    const gdi::BitmapHandle mask = gdi::Bitmap::CreateCompatible(4, 4);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            color->SetPixel(x, y, inside(x, y) ? kGreen : 0);
            mask->SetPixel(x, y, inside(x, y) ? 0 : kWhite);
        }
    }
    BitmapObject bitmap;
    ASSERT_TRUE(bitmap.LoadFromIcon(gdi::CreateIconIndirect({.color = color, .mask = mask}),
                                    {.width = 4, .height = 4, .bitCount = 24}));
    EXPECT_TRUE(
        PictureIs(bitmap, 4, 4, [&](int x, int y) { return inside(x, y) ? kGreen : kWhite; }));
}

TEST(LoadFromIcon, Refusals) {
    struct Case {
        const char* name;
        gdi::IconHandle icon;
        imaging::LoadFromIconArgs args;
    };
    for (const Case& c :
         {Case{"no icon", nullptr, {}}, Case{"depth 2", AlphaIcon(), {.bitCount = 2}},
          Case{"no width", AlphaIcon(), {.width = -1}},
          Case{"too large", AlphaIcon(), {.width = 1 << 21}}}) {
        BitmapObject bitmap;
        ASSERT_TRUE(bitmap.CreateBlank(2, 2, 24));
        EXPECT_FALSE(bitmap.LoadFromIcon(c.icon, c.args)) << c.name;
        EXPECT_TRUE(IsEmpty(bitmap)) << c.name;
    }
}

TEST(Icon, NeedsAPictureAndAMaskOfItsSize) {
    EXPECT_EQ(gdi::CreateIconIndirect({}), nullptr);
    EXPECT_EQ(gdi::CreateIconIndirect({.color = gdi::Bitmap::CreateCompatible(4, 4),
                                       .mask = gdi::Bitmap::CreateCompatible(4, 5)}),
              nullptr);
}

TEST(Icon, DrawnPartlyOffTheTargetIsClipped) {
    const gdi::BitmapHandle target = gdi::Bitmap::CreateCompatible(10, 10);
    const auto dc = gdi::DeviceContext::Screen()->CreateCompatible();
    ASSERT_NE(dc->Select(target), nullptr);
    ASSERT_TRUE(gdi::DrawIconEx(*dc, -8, 2, AlphaIcon(), 0, 0));
    // At the icon's own 16 x 16 its square lands at -4 .. 3 across and 6 .. 13 down.
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            const bool red = x < 4 && y >= 6;
            EXPECT_EQ(target->GetPixel(x, y), red ? kRed : 0u) << x << ", " << y;
        }
    }
    EXPECT_TRUE(gdi::DrawIconEx(*dc, 0, 0, AlphaIcon(), 0, 0));
    EXPECT_EQ(target->GetPixel(4, 4), kRed);
    EXPECT_FALSE(gdi::DrawIconEx(*dc, 0, 0, AlphaIcon(), -1, 4));
}

}  // namespace
