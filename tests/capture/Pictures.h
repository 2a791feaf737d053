#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <utility>

#include "imaging/BitmapObject.h"
#include "platform/gdi/Color.h"

// Comparing captured pictures with what they should show.
namespace capturetest {

using ColorOf = std::function<gdi::ColorRef(int x, int y)>;

// The colour `color` becomes when written to a surface of `bitCount` bits (the nearest colour
// of its table, or 5 bits a channel at 16 bits).
inline gdi::ColorRef AtDepth(gdi::ColorRef color, int bitCount) {
    static std::map<std::pair<gdi::ColorRef, int>, gdi::ColorRef> seen;
    const auto key = std::make_pair(color, bitCount);
    if (const auto it = seen.find(key); it != seen.end()) return it->second;
    imaging::BitmapObject one;
    one.CreateBlank(1, 1, bitCount);
    one.WritePixel(0, 0, color);
    return seen[key] = one.ReadPixel(0, 0);
}

// `bitmap` is width x height and its pixel (x, y) is colorOf(x, y) as its depth holds it.
inline testing::AssertionResult PictureIs(imaging::BitmapObject& bitmap, int width, int height,
                                          const ColorOf& colorOf) {
    if (bitmap.Width() != width || bitmap.Height() != height) {
        return testing::AssertionFailure() << "size " << bitmap.Width() << " x " << bitmap.Height()
                                           << ", expected " << width << " x " << height;
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const gdi::ColorRef expected = AtDepth(colorOf(x, y), bitmap.BitCount());
            const gdi::ColorRef actual = bitmap.ReadPixel(x, y);
            if (actual != expected) {
                return testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << ") is 0x" << std::hex << actual
                       << ", expected 0x" << expected;
            }
        }
    }
    return testing::AssertionSuccess();
}

// A picture with a different colour at every pixel of a small block, for round trips.
inline gdi::ColorRef Gradient(int x, int y) {
    return gdi::MakeColor(static_cast<std::uint8_t>(x * 7), static_cast<std::uint8_t>(y * 11),
                          static_cast<std::uint8_t>((x + y) * 5));
}

// A new picture of width x height at bitCount bits whose pixel (x, y) is colorOf(x, y).
inline void Paint(imaging::BitmapObject& bitmap, int width, int height, int bitCount,
                  const ColorOf& colorOf) {
    ASSERT_TRUE(bitmap.CreateBlank(width, height, bitCount));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) ASSERT_TRUE(bitmap.WritePixel(x, y, colorOf(x, y)));
    }
}

// The object holds nothing.
inline testing::AssertionResult IsEmpty(const imaging::BitmapObject& bitmap) {
    if (bitmap.Width() == 0 && bitmap.Height() == 0 && !bitmap.GetDib() &&
        bitmap.GetMemoryDC() == nullptr) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << "holds " << bitmap.Width() << " x " << bitmap.Height();
}

}  // namespace capturetest
