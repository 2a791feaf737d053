#include <gtest/gtest.h>

#include <string>

#include "imaging/BitmapObject.h"
#include "tests/capture/Pictures.h"
#include "tests/capture/XTestClient.h"

// The screen, windows and painting, against the X server the test command starts: 1024 x 768 at
// depth 24 (32 bits per pixel), black root, no window manager.
namespace {

using capturetest::ColorOf;
using capturetest::IsEmpty;
using capturetest::PictureIs;
using capturetest::WindowLayout;
using gdi::MakeColor;
using imaging::BitmapObject;

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
constexpr std::uint32_t kRed = 0xFF0000;
constexpr std::uint32_t kGreen = 0x00FF00;
constexpr std::uint32_t kBlue = 0x0000FF;
constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kGrey = 0x808080;

// 0x00RRGGBB as a COLORREF.
constexpr gdi::ColorRef Ref(std::uint32_t rgb) {
    return MakeColor(static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                     static_cast<std::uint8_t>(rgb));
}

// The pattern window: 160 x 120, red, a blue block at (20, 10) and a green one at (100, 70),
// both 40 x 30.
constexpr int kPatternWidth = 160;
constexpr int kPatternHeight = 120;

gdi::ColorRef Pattern(int x, int y) {
    if (x >= 20 && x < 60 && y >= 10 && y < 40) return Ref(kBlue);
    if (x >= 100 && x < 140 && y >= 70 && y < 100) return Ref(kGreen);
    return Ref(kRed);
}

ColorOf Solid(std::uint32_t rgb) {
    return [rgb](int, int) { return Ref(rgb); };
}

class Display : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(x_.Connected()) << "no X server: run through the wrapper"; }

    xcb_window_t ShowPattern(int left, int top, bool backingStore = false) {
        const xcb_window_t window = x_.CreateWindow({.x = left,
                                                     .y = top,
                                                     .width = kPatternWidth,
                                                     .height = kPatternHeight,
                                                     .color = kRed,
                                                     .backingStore = backingStore});
        x_.CreateWindow(
            {.x = 20, .y = 10, .width = 40, .height = 30, .color = kBlue, .parent = window});
        x_.CreateWindow(
            {.x = 100, .y = 70, .width = 40, .height = 30, .color = kGreen, .parent = window});
        return window;
    }

    capturetest::XTestClient x_;
};

TEST_F(Display, WholeScreenAtTheScreensDepth) {
    ShowPattern(100, 80);
    BitmapObject bitmap;
    ASSERT_TRUE(bitmap.CaptureScreen(0, 0));
    EXPECT_EQ(bitmap.Width(), kScreenWidth);
    EXPECT_EQ(bitmap.Height(), kScreenHeight);
    EXPECT_EQ(bitmap.BitCount(), 32);
    EXPECT_EQ(bitmap.ReadPixel(0, 0), Ref(0));
    EXPECT_EQ(bitmap.ReadPixel(kScreenWidth - 1, kScreenHeight - 1), Ref(0));
    for (int y = 0; y < kPatternHeight; y += 7) {
        for (int x = 0; x < kPatternWidth; x += 3) {
            ASSERT_EQ(bitmap.ReadPixel(100 + x, 80 + y), Pattern(x, y)) << x << ", " << y;
        }
    }
}

class ScreenBlock : public Display, public testing::WithParamInterface<int> {};

TEST_P(ScreenBlock, HoldsTheWindowAtTheDepthAsked) {
    ShowPattern(100, 80);
    BitmapObject bitmap;
    ASSERT_TRUE(bitmap.CaptureScreen(
        100, 80, {.width = kPatternWidth, .height = kPatternHeight, .bitCount = GetParam()}));
    EXPECT_EQ(bitmap.BitCount(), GetParam());
    EXPECT_TRUE(PictureIs(bitmap, kPatternWidth, kPatternHeight, Pattern));
}

INSTANTIATE_TEST_SUITE_P(Depths, ScreenBlock, testing::Values(1, 4, 8, 16, 24, 32));

TEST_F(Display, ScreenBlockLeavingTheScreenIsBlackOutside) {
    x_.CreateWindow({.x = 1000, .y = 700, .width = 100, .height = 100, .color = kWhite});
    BitmapObject bitmap;
    ASSERT_TRUE(bitmap.CaptureScreen(1000, 700, {.width = 50, .height = 100, .bitCount = 24}));
    EXPECT_TRUE(PictureIs(bitmap, 50, 100, [](int x, int y) {
        return x < kScreenWidth - 1000 && y < kScreenHeight - 700 ? Ref(kWhite) : Ref(0);
    }));
}

struct ScreenRefusal {
    std::string name;
    int x;
    int y;
    imaging::CaptureScreenArgs args;
};

class ScreenRefused : public Display, public testing::WithParamInterface<ScreenRefusal> {};

TEST_P(ScreenRefused, LeavesTheObjectEmpty) {
    BitmapObject bitmap;
    ASSERT_TRUE(bitmap.CreateBlank(2, 2, 24));
    EXPECT_FALSE(bitmap.CaptureScreen(GetParam().x, GetParam().y, GetParam().args));
    EXPECT_TRUE(IsEmpty(bitmap));
}

INSTANTIATE_TEST_SUITE_P(Cases, ScreenRefused,
                         testing::Values(ScreenRefusal{"Depth2", 0, 0, {.bitCount = 2}},
                                         ScreenRefusal{"Depth15", 0, 0, {.bitCount = 15}},
                                         ScreenRefusal{"NegativeWidth", 0, 0, {.width = -5}},
                                         ScreenRefusal{"PastTheRightEdge", kScreenWidth, 0, {}},
                                         ScreenRefusal{
                                             "PastTheBottomEdge", 0, kScreenHeight + 3, {}}),
                         [](const auto& info) { return info.param.name; });

struct WindowDepth {
    int asked;
    int made;
};

class WindowAtDepth : public Display, public testing::WithParamInterface<WindowDepth> {};

TEST_P(WindowAtDepth, HoldsTheClientArea) {
    const xcb_window_t window = ShowPattern(100, 80);
    BitmapObject bitmap;
    ASSERT_TRUE(bitmap.CaptureWindow(window, 0, 0, {.bitCount = GetParam().asked}));
    EXPECT_EQ(bitmap.BitCount(), GetParam().made);
    EXPECT_TRUE(PictureIs(bitmap, kPatternWidth, kPatternHeight, Pattern));
}

INSTANTIATE_TEST_SUITE_P(Depths, WindowAtDepth,
                         testing::Values(WindowDepth{0, 24}, WindowDepth{1, 1}, WindowDepth{4, 4},
                                         WindowDepth{8, 8}, WindowDepth{16, 16},
                                         WindowDepth{24, 24}, WindowDepth{32, 32}));

TEST_F(Display, WindowBlockAtAPointOfTheClientArea) {
    const xcb_window_t window = ShowPattern(100, 80);
    BitmapObject bitmap;
    ASSERT_TRUE(bitmap.CaptureWindow(window, 20, 10, {.width = 40, .height = 30}));
    EXPECT_TRUE(PictureIs(bitmap, 40, 30, Solid(kBlue)));
    // The size omitted: to the client area's bottom-right corner.
    ASSERT_TRUE(bitmap.CaptureWindow(window, 100, 70));
    EXPECT_TRUE(PictureIs(bitmap, 60, 50, [](int x, int y) { return Pattern(100 + x, 70 + y); }));
}

struct WindowRefusal {
    std::string name;
    // Makes the window (or gives an id no window has) from a pattern window shown on the screen.
    std::function<xcb_window_t(capturetest::XTestClient&, xcb_window_t)> prepare;
    int bitCount = 0;
};

class WindowRefused : public Display, public testing::WithParamInterface<WindowRefusal> {};

TEST_P(WindowRefused, LeavesTheObjectEmpty) {
    const xcb_window_t window = GetParam().prepare(x_, ShowPattern(100, 80));
    BitmapObject bitmap;
    ASSERT_TRUE(bitmap.CreateBlank(2, 2, 24));
    EXPECT_FALSE(bitmap.CaptureWindow(window, 0, 0, {.bitCount = GetParam().bitCount}));
    EXPECT_TRUE(IsEmpty(bitmap));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WindowRefused,
    testing::Values(WindowRefusal{"Hidden",
                                  [](auto& x, xcb_window_t w) {
                                      x.Unmap(w);
                                      return w;
                                  }},
                    // Iconified by a window manager: unmapped, WM_STATE iconic.
                    WindowRefusal{"Iconified",
                                  [](auto& x, xcb_window_t w) {
                                      x.SetWmState(w, 3);
                                      x.Unmap(w);
                                      return w;
                                  }},
                    // Still mapped while the state says iconic: the state decides.
                    WindowRefusal{"IconicStateWhileMapped",
                                  [](auto& x, xcb_window_t w) {
                                      x.SetWmState(w, 3);
                                      return w;
                                  }},
                    WindowRefusal{"NetWmHidden",
                                  [](auto& x, xcb_window_t w) {
                                      x.SetNetWmHidden(w);
                                      return w;
                                  }},
                    WindowRefusal{"UnknownWindow",
                                  [](auto& x, xcb_window_t) { return x.GoneWindow(); }},
                    WindowRefusal{"Depth2", [](auto&, xcb_window_t w) { return w; }, 2},
                    WindowRefusal{"Depth64", [](auto&, xcb_window_t w) { return w; }, 64}),
    [](const auto& info) { return info.param.name; });

TEST_F(Display, CoveredWindowWithBackingStoreComesOutWhole) {
    const xcb_window_t window = ShowPattern(400, 300, true);
    x_.CreateWindow({.x = 430, .y = 310, .width = 100, .height = 60, .color = kWhite});
    BitmapObject screen;
    ASSERT_TRUE(screen.CaptureScreen(430, 310, {.width = 1, .height = 1}));
    ASSERT_EQ(screen.ReadPixel(0, 0), Ref(kWhite)) << "the window is not covered";
    BitmapObject bitmap;
    ASSERT_TRUE(bitmap.CaptureWindow(window, 0, 0));
    EXPECT_TRUE(PictureIs(bitmap, kPatternWidth, kPatternHeight, Pattern));
}

TEST_F(Display, WindowLeavingTheScreen) {
    // Without backing store the server has only the part on the screen: the rest is black.
    const xcb_window_t plain =
        x_.CreateWindow({.x = 1000, .y = 700, .width = 100, .height = 100, .color = kWhite});
    BitmapObject bitmap;
    ASSERT_TRUE(bitmap.CaptureWindow(plain, 0, 0));
    EXPECT_TRUE(PictureIs(bitmap, 100, 100, [](int x, int y) {
        return x < kScreenWidth - 1000 && y < kScreenHeight - 700 ? Ref(kWhite) : Ref(0);
    }));
    // With it, the whole window.
    const xcb_window_t kept = x_.CreateWindow(
        {.x = 980, .y = 720, .width = 90, .height = 70, .color = kGreen, .backingStore = true});
    ASSERT_TRUE(bitmap.CaptureWindow(kept, 0, 0));
    EXPECT_TRUE(PictureIs(bitmap, 90, 70, Solid(kGreen)));
}

TEST_F(Display, FramedWindowGivesItsClientAreaAndReachesIntoTheFrame) {
    // What a reparenting window manager makes: a grey frame with the client inside it at
    // (10, 30), the client marked with WM_STATE normal.
    const xcb_window_t frame =
        x_.CreateWindow({.x = 300, .y = 300, .width = 220, .height = 140, .color = kGrey});
    const xcb_window_t client = x_.CreateWindow(
        {.x = 10, .y = 30, .width = 200, .height = 100, .color = kRed, .parent = frame});
    x_.SetWmState(client, 1);
    BitmapObject bitmap;
    ASSERT_TRUE(bitmap.CaptureWindow(client, 0, 0));
    EXPECT_TRUE(PictureIs(bitmap, 200, 100, Solid(kRed)));
    ASSERT_TRUE(bitmap.CaptureWindow(client, -10, -30, {.width = 220, .height = 140}));
    EXPECT_TRUE(PictureIs(bitmap, 220, 140, [](int x, int y) {
        return x >= 10 && x < 210 && y >= 30 && y < 130 ? Ref(kRed) : Ref(kGrey);
    }));
}

TEST_F(Display, BorderIsOutsideTheClientArea) {
    const xcb_window_t window = x_.CreateWindow({.x = 600,
                                                 .y = 100,
                                                 .width = 50,
                                                 .height = 40,
                                                 .color = kRed,
                                                 .border = 5,
                                                 .borderColor = kBlue});
    BitmapObject bitmap;
    ASSERT_TRUE(bitmap.CaptureWindow(window, 0, 0));
    EXPECT_TRUE(PictureIs(bitmap, 50, 40, Solid(kRed)));
    ASSERT_TRUE(bitmap.CaptureWindow(window, -5, -5, {.width = 60, .height = 50}));
    EXPECT_TRUE(PictureIs(bitmap, 60, 50, [](int x, int y) {
        return x >= 5 && x < 55 && y >= 5 && y < 45 ? Ref(kRed) : Ref(kBlue);
    }));
}

class PaintedWindow : public Display, public testing::WithParamInterface<int> {};

TEST_P(PaintedWindow, ShowsThePicture) {
    const xcb_window_t window =
        x_.CreateWindow({.x = 600, .y = 400, .width = 64, .height = 48, .noBackground = true});
    BitmapObject picture;
    capturetest::Paint(picture, 64, 48, GetParam(), capturetest::Gradient);
    ASSERT_TRUE(picture.PaintToWindow(window));
    BitmapObject captured;
    ASSERT_TRUE(captured.CaptureWindow(window, 0, 0, {.bitCount = 32}));
    // The picture's own colours, whatever its depth made of the gradient.
    EXPECT_TRUE(PictureIs(captured, 64, 48, [&](int x, int y) { return picture.ReadPixel(x, y); }));
}

INSTANTIATE_TEST_SUITE_P(Depths, PaintedWindow, testing::Values(1, 4, 8, 16, 24, 32));

TEST_F(Display, LargePictureIsClippedToTheWindowAndSentWhole) {
    // Taller than the screen and, at 4 MiB, more than one drawing request: the window keeps its
    // picture so the part off the screen can be read back.
    const xcb_window_t window = x_.CreateWindow({.x = 0,
                                                 .y = 0,
                                                 .width = 1024,
                                                 .height = 1100,
                                                 .backingStore = true,
                                                 .noBackground = true});
    const ColorOf colorOf = [](int x, int y) {
        return MakeColor(static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
                         static_cast<std::uint8_t>(x ^ y));
    };
    BitmapObject picture;
    capturetest::Paint(picture, 1100, 1100, 32, colorOf);
    ASSERT_TRUE(picture.PaintToWindow(window));
    BitmapObject captured;
    ASSERT_TRUE(captured.CaptureWindow(window, 0, 0, {.bitCount = 32}));
    EXPECT_TRUE(PictureIs(captured, 1024, 1100, colorOf));
}

TEST_F(Display, PaintingRefused) {
    BitmapObject empty;
    const xcb_window_t window = x_.CreateWindow({.width = 10, .height = 10});
    EXPECT_FALSE(empty.PaintToWindow(window));
    BitmapObject picture;
    ASSERT_TRUE(picture.CreateBlank(4, 4, 24));
    EXPECT_FALSE(picture.PaintToWindow(x_.GoneWindow()));
}

}  // namespace
