#pragma once

#include <cstdint>
#include <vector>

#include "imaging/BitmapObject.h"

namespace imaging {

// One colour per pixel (red in the lowest byte, then green, then blue), rows from the top down,
// each row left to right. Column c of row r (both from 1) is entry (r - 1) * width + c.
using ColorList = std::vector<std::uint32_t>;

// Moves pixels between a BitmapObject and a ColorList and resamples lists. Keeps no state; every
// routine may be called from any thread on lists and bitmaps that thread owns. A false result
// leaves the out-list as it was. Sizes must be at least 1 on each axis, and a destination within
// the picture limits of platform/gdi/Limits.h.
class ImageScaler {
public:
    // The bitmap's pixels, top row first; false for a bitmap without a picture. A null list is
    // written to a scratch list.
    bool ReadPixels(BitmapObject& bitmap, ColorList* list) const;
    // Makes the bitmap a new width x height picture at 24 bits holding the list's first
    // width * height colours. False, with the bitmap untouched, for a size below 1 on either axis
    // or a list shorter than that; false, with the bitmap empty, when the picture cannot be made.
    bool WritePixels(BitmapObject& bitmap, const ColorList& list, int width, int height) const;

    // Entry (row - 1) * width + column; 0 past the end of the list or before its start.
    std::uint32_t ColorAt(const ColorList& list, int width, int column, int row) const;
    // Sets that entry; nothing happens past the end of the list or before its start.
    void SetColorAt(ColorList* list, int width, int column, int row, std::uint32_t color) const;

    // Each destination pixel (j, i) takes source column trunc(j * xr / 1000) and row
    // trunc(i * yr / 1000) (at least 1), where xr = trunc(sw * 1000 / dw), yr = trunc(sh * 1000 /
    // dh). False for a size below 1, a source list shorter than sw * sh, or a destination past the
    // picture limits.
    bool ResampleNearest(const ColorList& source, int sourceWidth, int sourceHeight,
                         int targetWidth, int targetHeight, ColorList* target) const;
    // Each destination pixel averages (truncating) the block of bw + 1 columns by bh + 1 rows that
    // ends at the pixel ResampleNearest would take, bw = trunc(xr / 1000), bh = trunc(yr / 1000);
    // the block's last column and row repeat its end when the span is only bw (bh) wide, so they
    // weigh double. The same failures as ResampleNearest.
    bool ResampleAverage(const ColorList& source, int sourceWidth, int sourceHeight,
                         int targetWidth, int targetHeight, ColorList* target) const;
};

// Adds the colour's red, green and blue (the top byte ignored) to the sums and counts it.
void AddColor(std::uint32_t color, std::int64_t* redSum, std::int64_t* greenSum,
              std::int64_t* blueSum, std::int64_t* count);
// The low bytes of red, green and blue as one colour, top byte 0.
std::uint32_t PackColor(std::int64_t red, std::int64_t green, std::int64_t blue);

}  // namespace imaging
