#include "imaging/ImageScaler.h"

#include <cmath>
#include <optional>

#include "platform/gdi/Limits.h"

namespace imaging {
namespace {

// Products and quotients in double, truncated toward zero.
std::int64_t Trunc(double value) { return static_cast<std::int64_t>(std::trunc(value)); }

// The checks both resampling routines share; the per-mille ratios when they pass.
struct Ratios {
    std::int64_t xr;
    std::int64_t yr;
};

std::optional<Ratios> CheckResample(const ColorList& source, int sw, int sh, int dw, int dh) {
    if (sw < 1 || sh < 1) return std::nullopt;
    if (static_cast<double>(source.size()) < static_cast<double>(sw) * sh) return std::nullopt;
    if (!gdi::SizeAllowed(dw, dh)) return std::nullopt;
    return Ratios{Trunc(sw * 1000.0 / dw), Trunc(sh * 1000.0 / dh)};
}

std::uint32_t SourceAt(const ColorList& source, int sw, std::int64_t column, std::int64_t row) {
    return source[static_cast<std::size_t>((row - 1) * sw + column - 1)];
}

}  // namespace

bool ImageScaler::ReadPixels(BitmapObject& bitmap, ColorList* list) const {
    const int w = bitmap.Width();
    const int h = bitmap.Height();
    if (w < 1 || h < 1) return false;
    ColorList pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    std::size_t next = 0;
    for (int row = 1; row <= h; ++row) {
        for (int column = 1; column <= w; ++column) {
            pixels[next++] = bitmap.ReadPixel(column - 1, row - 1);
        }
    }
    if (list) *list = std::move(pixels);
    return true;
}

bool ImageScaler::WritePixels(BitmapObject& bitmap, const ColorList& list, int width,
                              int height) const {
    if (width < 1 || height < 1) return false;
    const std::uint64_t n = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    if (list.size() < n) return false;
    if (!bitmap.CreateBlank(width, height, 24)) return false;
    std::size_t next = 0;
    for (int row = 1; row <= height; ++row) {
        for (int column = 1; column <= width; ++column) {
            bitmap.WritePixel(column - 1, row - 1, list[next++]);
        }
    }
    return true;
}

std::uint32_t ImageScaler::ColorAt(const ColorList& list, int width, int column, int row) const {
    const std::int64_t index = (std::int64_t{row} - 1) * width + column;
    if (list.empty() || index < 1 || index > static_cast<std::int64_t>(list.size())) return 0;
    return list[static_cast<std::size_t>(index - 1)];
}

void ImageScaler::SetColorAt(ColorList* list, int width, int column, int row,
                             std::uint32_t color) const {
    if (!list) return;
    const std::int64_t index = (std::int64_t{row} - 1) * width + column;
    if (list->empty() || index < 1 || index > static_cast<std::int64_t>(list->size())) return;
    (*list)[static_cast<std::size_t>(index - 1)] = color;
}

bool ImageScaler::ResampleNearest(const ColorList& source, int sw, int sh, int dw, int dh,
                                  ColorList* target) const {
    const std::optional<Ratios> r = CheckResample(source, sw, sh, dw, dh);
    if (!r) return false;
    ColorList out(static_cast<std::size_t>(dw) * static_cast<std::size_t>(dh));
    for (int i = 1; i <= dh; ++i) {
        for (int j = 1; j <= dw; ++j) {
            std::int64_t sx = Trunc(static_cast<double>(j) * r->xr / 1000);
            std::int64_t sy = Trunc(static_cast<double>(i) * r->yr / 1000);
            if (sx <= 0) sx = 1;
            if (sy <= 0) sy = 1;
            out[static_cast<std::size_t>(i - 1) * dw + (j - 1)] = SourceAt(source, sw, sx, sy);
        }
    }
    if (target) *target = std::move(out);
    return true;
}

bool ImageScaler::ResampleAverage(const ColorList& source, int sw, int sh, int dw, int dh,
                                  ColorList* target) const {
    const std::optional<Ratios> r = CheckResample(source, sw, sh, dw, dh);
    if (!r) return false;
    ColorList out(static_cast<std::size_t>(dw) * static_cast<std::size_t>(dh));
    const std::int64_t bw = Trunc(r->xr / 1000.0);
    const std::int64_t bh = Trunc(r->yr / 1000.0);
    for (int i = 1; i <= dh; ++i) {
        const std::int64_t r0 = Trunc(static_cast<double>(i - 1) * r->yr / 1000);
        std::int64_t r1 = Trunc(static_cast<double>(i) * r->yr / 1000);
        if (r1 < 1) r1 = 1;
        for (int j = 1; j <= dw; ++j) {
            const std::int64_t c0 = Trunc(static_cast<double>(j - 1) * r->xr / 1000);
            std::int64_t c1 = Trunc(static_cast<double>(j) * r->xr / 1000);
            if (c1 < 1) c1 = 1;
            std::int64_t red = 0, green = 0, blue = 0, count = 0;
            // Columns c0 + 1 .. c0 + bw and then c1; rows likewise. A position listed twice
            // counts twice.
            for (std::int64_t a = 1; a <= bw + 1; ++a) {
                const std::int64_t column = a <= bw ? c0 + a : c1;
                for (std::int64_t b = 1; b <= bh + 1; ++b) {
                    const std::int64_t row = b <= bh ? r0 + b : r1;
                    AddColor(SourceAt(source, sw, column, row), &red, &green, &blue, &count);
                }
            }
            out[static_cast<std::size_t>(i - 1) * dw + (j - 1)] = PackColor(
                Trunc(static_cast<double>(red) / count), Trunc(static_cast<double>(green) / count),
                Trunc(static_cast<double>(blue) / count));
        }
    }
    if (target) *target = std::move(out);
    return true;
}

void AddColor(std::uint32_t color, std::int64_t* redSum, std::int64_t* greenSum,
              std::int64_t* blueSum, std::int64_t* count) {
    *redSum += color & 0xFF;
    *greenSum += (color >> 8) & 0xFF;
    *blueSum += (color >> 16) & 0xFF;
    *count += 1;
}

std::uint32_t PackColor(std::int64_t red, std::int64_t green, std::int64_t blue) {
    return static_cast<std::uint32_t>(red & 0xFF) |
           (static_cast<std::uint32_t>(green & 0xFF) << 8) |
           (static_cast<std::uint32_t>(blue & 0xFF) << 16);
}

}  // namespace imaging
