#include "platform/gdi/Bitmap.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

#include "platform/gdi/Limits.h"
#include "platform/gdi/LittleEndian.h"

namespace gdi {
namespace {

constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::uint32_t kBiRgb = 0;

int StrideOf(int width, int bitCount) {
    const std::int64_t bits = std::int64_t{width} * bitCount;
    return static_cast<int>(((bits + 31) >> 5) << 2);
}

bool DepthSupported(int bitCount) {
    return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 ||
           bitCount == 32;
}

// 5-bit channel to 8 bits, repeating the top bits so that 31 becomes 255.
std::uint8_t Expand5(unsigned value) {
    return static_cast<std::uint8_t>((value << 3) | (value >> 2));
}

}  // namespace

int NearestColorIndex(std::span<const RgbQuad> table, ColorRef color) {
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (std::size_t i = 0; i < table.size(); ++i) {
        const int dr = int{table[i].red} - RedOf(color);
        const int dg = int{table[i].green} - GreenOf(color);
        const int db = int{table[i].blue} - BlueOf(color);
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<int>(i);
            if (distance == 0) break;
        }
    }
    return best;
}

Bitmap::Bitmap(Key, int width, int height, bool bottomUp, int bitCount, std::vector<RgbQuad> colors,
               bool dibSection)
    : width_(width),
      height_(height),
      bottomUp_(bottomUp),
      bitCount_(bitCount),
      stride_(StrideOf(width, bitCount)),
      colors_(std::move(colors)),
      dibSection_(dibSection),
      size_(static_cast<std::size_t>(stride_) * static_cast<std::size_t>(height)),
      bits_(static_cast<std::uint8_t*>(std::calloc(size_, 1))) {
    if (!bits_) throw std::bad_alloc();
}

void Bitmap::Free::operator()(std::uint8_t* bits) const { std::free(bits); }

BitmapHandle Bitmap::CreateDibSection(std::span<const std::uint8_t> info) {
    if (info.size() < kInfoHeaderSize) return nullptr;
    const std::uint32_t headerSize = le::U32(info, 0);
    const std::int32_t width = le::I32(info, 4);
    const std::int32_t height = le::I32(info, 8);
    const int planes = le::U16(info, 12);
    const int bitCount = le::U16(info, 14);
    const std::uint32_t compression = le::U32(info, 16);
    const std::uint32_t colorsUsed = le::U32(info, 32);
    if (headerSize < kInfoHeaderSize || headerSize > info.size()) return nullptr;
    if (planes != 1 || !DepthSupported(bitCount) || compression != kBiRgb) return nullptr;
    if (height == std::numeric_limits<std::int32_t>::min()) return nullptr;
    const std::int64_t rows = height < 0 ? -std::int64_t{height} : height;
    if (!SizeAllowed(width, rows)) return nullptr;

    std::vector<RgbQuad> colors;
    if (bitCount <= 8) {
        const std::uint32_t full = 1u << bitCount;
        const std::uint32_t count = colorsUsed == 0 ? full : colorsUsed;
        if (count > full || count > (info.size() - headerSize) / 4) return nullptr;
        colors.resize(count);
        std::memcpy(colors.data(), info.data() + headerSize, count * sizeof(RgbQuad));
    }
    try {
        return std::make_shared<Bitmap>(Key{}, width, static_cast<int>(rows), height > 0, bitCount,
                                        std::move(colors), true);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

BitmapHandle Bitmap::CreateCompatible(int width, int height) {
    if (!SizeAllowed(width, height)) return nullptr;
    try {
        return std::make_shared<Bitmap>(Key{}, width, height, false, kDisplayBitsPerPixel,
                                        std::vector<RgbQuad>{}, false);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

BitmapHandle Bitmap::CreateDefault() {
    return std::make_shared<Bitmap>(Key{}, 1, 1, false, 1,
                                    std::vector<RgbQuad>{{0, 0, 0, 0}, {255, 255, 255, 0}}, false);
}

ColorRef Bitmap::ReadAt(const std::uint8_t* row, int x) const {
    auto tableColor = [this](unsigned index) {
        return index < colors_.size() ? ToColor(colors_[index]) : MakeColor(0, 0, 0);
    };
    switch (bitCount_) {
        case 1:
            return tableColor((row[x >> 3] >> (7 - (x & 7))) & 1);
        case 4:
            return tableColor((row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F);
        case 8:
            return tableColor(row[x]);
        case 16: {
            const unsigned v = row[2 * x] | (row[2 * x + 1] << 8);
            return MakeColor(Expand5((v >> 10) & 31), Expand5((v >> 5) & 31), Expand5(v & 31));
        }
        case 24: {
            const std::uint8_t* p = row + 3 * static_cast<std::size_t>(x);
            return MakeColor(p[2], p[1], p[0]);
        }
        default: {
            const std::uint8_t* p = row + 4 * static_cast<std::size_t>(x);
            return MakeColor(p[2], p[1], p[0]);
        }
    }
}

void Bitmap::WriteAt(std::uint8_t* row, int x, ColorRef color, ColorRef* lastColor,
                     int* lastIndex) {
    color &= 0x00FFFFFF;
    auto index = [&] {
        if (color != *lastColor) {
            *lastColor = color;
            *lastIndex = NearestColorIndex(colors_, color);
        }
        return static_cast<unsigned>(*lastIndex);
    };
    switch (bitCount_) {
        case 1: {
            const unsigned mask = 0x80u >> (x & 7);
            std::uint8_t& byte = row[x >> 3];
            byte = static_cast<std::uint8_t>(index() ? (byte | mask) : (byte & ~mask));
            break;
        }
        case 4: {
            std::uint8_t& byte = row[x >> 1];
            byte = static_cast<std::uint8_t>((x & 1) ? ((byte & 0xF0) | index())
                                                     : ((byte & 0x0F) | (index() << 4)));
            break;
        }
        case 8:
            row[x] = static_cast<std::uint8_t>(index());
            break;
        case 16: {
            const unsigned v =
                ((RedOf(color) >> 3) << 10) | ((GreenOf(color) >> 3) << 5) | (BlueOf(color) >> 3);
            row[2 * x] = static_cast<std::uint8_t>(v & 0xFF);
            row[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
            break;
        }
        case 24: {
            std::uint8_t* p = row + 3 * static_cast<std::size_t>(x);
            p[0] = BlueOf(color);
            p[1] = GreenOf(color);
            p[2] = RedOf(color);
            break;
        }
        default: {
            std::uint8_t* p = row + 4 * static_cast<std::size_t>(x);
            p[0] = BlueOf(color);
            p[1] = GreenOf(color);
            p[2] = RedOf(color);
            p[3] = 0;
            break;
        }
    }
}

ColorRef Bitmap::GetPixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return kInvalidColor;
    return ReadAt(Row(y), x);
}

bool Bitmap::SetPixel(int x, int y, ColorRef color) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return false;
    ColorRef lastColor = kInvalidColor;
    int lastIndex = 0;
    WriteAt(Row(y), x, color, &lastColor, &lastIndex);
    return true;
}

void Bitmap::Fill(int x, int y, int width, int height, ColorRef color) {
    const std::int64_t left = std::max<std::int64_t>(x, 0);
    const std::int64_t top = std::max<std::int64_t>(y, 0);
    const std::int64_t right = std::min<std::int64_t>(std::int64_t{x} + width, width_);
    const std::int64_t bottom = std::min<std::int64_t>(std::int64_t{y} + height, height_);
    ColorRef lastColor = kInvalidColor;
    int lastIndex = 0;
    for (std::int64_t row = top; row < bottom; ++row) {
        std::uint8_t* out = Row(static_cast<int>(row));
        for (std::int64_t col = left; col < right; ++col) {
            WriteAt(out, static_cast<int>(col), color, &lastColor, &lastIndex);
        }
    }
}

void Bitmap::CopyBlock(int x, int y, int width, int height, const Bitmap& source, int sourceX,
                       int sourceY) {
    // Clip in 64 bits: the caller's numbers are arbitrary.
    std::int64_t dx = x, dy = y, sx = sourceX, sy = sourceY, w = width, h = height;
    if (sx < 0) dx -= sx, w += sx, sx = 0;
    if (sy < 0) dy -= sy, h += sy, sy = 0;
    if (dx < 0) sx -= dx, w += dx, dx = 0;
    if (dy < 0) sy -= dy, h += dy, dy = 0;
    w = std::min({w, std::int64_t{source.width_} - sx, std::int64_t{width_} - dx});
    h = std::min({h, std::int64_t{source.height_} - sy, std::int64_t{height_} - dy});
    if (w <= 0 || h <= 0) return;

    // A copy within one surface reads from a snapshot, so overlapping blocks come out whole.
    std::optional<Bitmap> snapshot;
    const Bitmap* from = &source;
    if (&source == this) {
        snapshot.emplace(Key{}, width_, height_, bottomUp_, bitCount_, colors_, dibSection_);
        std::memcpy(snapshot->bits_.get(), bits_.get(), size_);
        from = &*snapshot;
    }

    const bool sameLayout = from->bitCount_ == bitCount_ && bitCount_ >= 8 &&
                            (bitCount_ > 8 || from->colors_ == colors_);
    ColorRef lastColor = kInvalidColor;
    int lastIndex = 0;
    for (std::int64_t row = 0; row < h; ++row) {
        const std::uint8_t* in = from->Row(static_cast<int>(sy + row));
        std::uint8_t* out = Row(static_cast<int>(dy + row));
        if (sameLayout) {
            const std::size_t bytesPerPixel = static_cast<std::size_t>(bitCount_ / 8);
            std::memcpy(out + dx * bytesPerPixel, in + sx * bytesPerPixel, w * bytesPerPixel);
            continue;
        }
        for (std::int64_t col = 0; col < w; ++col) {
            WriteAt(out, static_cast<int>(dx + col), from->ReadAt(in, static_cast<int>(sx + col)),
                    &lastColor, &lastIndex);
        }
    }
}

std::optional<BitmapDimensions> GetBitmapDimensions(const BitmapHandle& bitmap) {
    if (!bitmap) return std::nullopt;
    return bitmap->Dimensions();
}

}  // namespace gdi
