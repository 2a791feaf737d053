#include "platform/gdi/BmpReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <bit>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <optional>

#include "platform/gdi/LittleEndian.h"

namespace gdi {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kCoreHeaderSize = 12;
constexpr std::size_t kInfoHeaderSize = 40;

enum Compression : std::uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3 };

// One channel of a BI_BITFIELDS pixel: where it sits and how many bits it has.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int width = 0;

    static Channel FromMask(std::uint32_t mask) {
        if (mask == 0) return {};
        const int shift = std::countr_zero(mask);
        return {mask, shift, static_cast<int>(std::bit_width(mask >> shift))};
    }

    // The channel's value scaled to 8 bits; short channels repeat their bits (31 of 5 -> 255).
    std::uint8_t Of(std::uint32_t pixel) const {
        if (width == 0) return 0;
        const std::uint32_t value = (pixel & mask) >> shift;
        if (width >= 8) return static_cast<std::uint8_t>(value >> (width - 8));
        std::uint32_t out = 0;
        int filled = 0;
        while (filled < 8) {
            out = (out << width) | value;
            filled += width;
        }
        return static_cast<std::uint8_t>(out >> (filled - 8));
    }
};

// What the headers say, checked against the file's length.
struct Layout {
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bitCount = 0;
    std::uint32_t compression = kRgb;
    // Always 256 entries: indices past the file's table read black.
    std::array<RgbQuad, 256> palette{};
    std::array<Channel, 3> channels{};  // red, green, blue
    std::size_t dataOffset = 0;
    std::size_t dataEnd = 0;
};

bool ValidDepth(int bitCount, std::uint32_t compression, bool core) {
    switch (compression) {
        case kRgb:
            return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 24 ||
                   (!core && (bitCount == 16 || bitCount == 32));
        case kRle8:
            return bitCount == 8;
        case kRle4:
            return bitCount == 4;
        case kBitfields:
            return bitCount == 16 || bitCount == 32;
        default:
            return false;
    }
}

std::optional<Layout> ReadLayout(std::span<const std::uint8_t> f) {
    if (f.size() < kFileHeaderSize + 4 || f[0] != 'B' || f[1] != 'M') return std::nullopt;
    const std::uint32_t offBits = le::U32(f, 10);
    const std::uint32_t headerSize = le::U32(f, 14);
    const bool core = headerSize == kCoreHeaderSize;
    if (!core && headerSize != kInfoHeaderSize && headerSize != 52 && headerSize != 56 &&
        headerSize != 108 && headerSize != 124) {
        return std::nullopt;
    }
    if (f.size() - kFileHeaderSize < headerSize) return std::nullopt;

    Layout l;
    std::int64_t width = 0;
    std::int64_t height = 0;
    int planes = 0;
    std::uint32_t colorsUsed = 0;
    std::uint32_t sizeImage = 0;
    std::size_t entrySize = 4;
    std::size_t headerEnd = kFileHeaderSize + headerSize;
    if (core) {
        width = le::U16(f, 18);
        height = le::U16(f, 20);
        planes = le::U16(f, 22);
        l.bitCount = le::U16(f, 24);
        entrySize = 3;
    } else {
        width = le::I32(f, 18);
        height = le::I32(f, 22);
        planes = le::U16(f, 26);
        l.bitCount = le::U16(f, 28);
        l.compression = le::U32(f, 30);
        sizeImage = le::U32(f, 34);
        colorsUsed = le::U32(f, 46);
    }
    if (planes != 1 || !ValidDepth(l.bitCount, l.compression, core)) return std::nullopt;
    l.topDown = height < 0;
    if (l.topDown) height = -height;
    // Compressed rows run from the bottom only.
    if (l.topDown && (l.compression == kRle8 || l.compression == kRle4)) return std::nullopt;
    if (!SizeAllowed(width, height)) return std::nullopt;
    l.width = static_cast<int>(width);
    l.height = static_cast<int>(height);

    if (l.compression == kBitfields) {
        // A plain info header is followed by the three masks; the longer ones hold them.
        const std::size_t masksAt = kFileHeaderSize + kInfoHeaderSize;
        if (headerSize == kInfoHeaderSize) {
            if (f.size() < masksAt + 12) return std::nullopt;
            headerEnd += 12;
        }
        for (std::size_t i = 0; i < 3; ++i) {
            l.channels[i] = Channel::FromMask(le::U32(f, masksAt + 4 * i));
        }
    } else if (l.bitCount == 16) {
        l.channels = {Channel::FromMask(0x7C00), Channel::FromMask(0x03E0),
                      Channel::FromMask(0x001F)};
    }

    if (l.bitCount <= 8) {
        const std::uint64_t full = std::uint64_t{1} << l.bitCount;
        const std::uint64_t declared = (core || colorsUsed == 0) ? full : colorsUsed;
        if (declared * entrySize > f.size() - headerEnd) return std::nullopt;
        const std::size_t used = static_cast<std::size_t>(declared < full ? declared : full);
        for (std::size_t i = 0; i < used; ++i) {
            const std::size_t at = headerEnd + i * entrySize;
            l.palette[i] = {f[at], f[at + 1], f[at + 2], 0};
        }
        if (offBits == 0) headerEnd += static_cast<std::size_t>(declared * entrySize);
    }

    l.dataOffset = offBits == 0 ? headerEnd : offBits;
    if (l.dataOffset < kFileHeaderSize + headerSize || l.dataOffset >= f.size()) {
        return std::nullopt;
    }
    const std::size_t available = f.size() - l.dataOffset;
    if (l.compression == kRle8 || l.compression == kRle4) {
        if (sizeImage > available) return std::nullopt;
        l.dataEnd = l.dataOffset + (sizeImage == 0 ? available : sizeImage);
    } else {
        const std::uint64_t stride = ((std::uint64_t(l.width) * l.bitCount + 31) >> 5) << 2;
        if (stride * std::uint64_t(l.height) > available) return std::nullopt;
        l.dataEnd = l.dataOffset + static_cast<std::size_t>(stride * l.height);
    }
    return l;
}

// One pixel of the display format: blue, green, red, 0, stored as one 32-bit word.
static_assert(std::endian::native == std::endian::little);
inline void Put(std::uint8_t* row, std::size_t x, std::uint8_t red, std::uint8_t green,
                std::uint8_t blue) {
    const std::uint32_t pixel =
        std::uint32_t{blue} | (std::uint32_t{green} << 8) | (std::uint32_t{red} << 16);
    std::memcpy(row + 4 * x, &pixel, sizeof pixel);
}

inline void PutQuad(std::uint8_t* row, std::size_t x, const RgbQuad& quad) {
    Put(row, x, quad.red, quad.green, quad.blue);
}

void DecodeRows(std::span<const std::uint8_t> f, const Layout& l, Bitmap& out) {
    const std::size_t stride = ((std::size_t(l.width) * l.bitCount + 31) >> 5) << 2;
    const std::size_t outStride = static_cast<std::size_t>(out.Stride());
    std::uint8_t* bits = out.Bits().data();
    const std::size_t width = static_cast<std::size_t>(l.width);
    for (int r = 0; r < l.height; ++r) {
        const std::uint8_t* in = f.data() + l.dataOffset + std::size_t(r) * stride;
        const int y = l.topDown ? r : l.height - 1 - r;
        std::uint8_t* row = bits + std::size_t(y) * outStride;
        switch (l.bitCount) {
            case 1:
                for (std::size_t x = 0; x < width; ++x) {
                    PutQuad(row, x, l.palette[(in[x >> 3] >> (7 - (x & 7))) & 1]);
                }
                break;
            case 4:
                for (std::size_t x = 0; x < width; ++x) {
                    PutQuad(row, x, l.palette[(in[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F]);
                }
                break;
            case 8:
                for (std::size_t x = 0; x < width; ++x) PutQuad(row, x, l.palette[in[x]]);
                break;
            case 16:
                for (std::size_t x = 0; x < width; ++x) {
                    const std::uint32_t v = in[2 * x] | (in[2 * x + 1] << 8);
                    Put(row, x, l.channels[0].Of(v), l.channels[1].Of(v), l.channels[2].Of(v));
                }
                break;
            case 24:
                for (std::size_t x = 0; x < width; ++x) {
                    const std::uint8_t* p = in + 3 * x;
                    Put(row, x, p[2], p[1], p[0]);
                }
                break;
            default:
                if (l.compression == kBitfields) {
                    for (std::size_t x = 0; x < width; ++x) {
                        const std::uint32_t v = le::U32({in, 4 * width}, 4 * x);
                        Put(row, x, l.channels[0].Of(v), l.channels[1].Of(v), l.channels[2].Of(v));
                    }
                } else {
                    for (std::size_t x = 0; x < width; ++x) {
                        const std::uint8_t* p = in + 4 * x;
                        Put(row, x, p[2], p[1], p[0]);
                    }
                }
                break;
        }
    }
}

// Runs of BI_RLE8 or BI_RLE4 data. False for a run or a jump that leaves the picture and for a
// stream that ends before every row is done.
bool DecodeRle(std::span<const std::uint8_t> data, const Layout& l, Bitmap& out) {
    const bool four = l.compression == kRle4;
    const std::int64_t width = l.width;
    const std::int64_t height = l.height;
    const std::size_t outStride = static_cast<std::size_t>(out.Stride());
    std::uint8_t* bits = out.Bits().data();
    auto rowOf = [&](std::int64_t y) { return bits + std::size_t(height - 1 - y) * outStride; };

    std::int64_t x = 0;
    std::int64_t y = 0;  // from the bottom
    std::size_t pos = 0;
    while (true) {
        // A stream without its end mark is whole only when every row was closed.
        if (data.size() - pos < 2) return y >= height;
        const unsigned count = data[pos];
        const unsigned code = data[pos + 1];
        pos += 2;
        if (count > 0) {
            if (y >= height || x + count > width) return false;
            std::uint8_t* row = rowOf(y);
            for (unsigned i = 0; i < count; ++i) {
                const unsigned index = four ? ((i & 1) ? (code & 0x0F) : (code >> 4)) : code;
                PutQuad(row, std::size_t(x + i), l.palette[index]);
            }
            x += count;
        } else if (code == 0) {  // end of line
            x = 0;
            if (++y > height) return false;
        } else if (code == 1) {  // end of picture
            return true;
        } else if (code == 2) {  // jump right and up
            if (data.size() - pos < 2) return false;
            x += data[pos];
            y += data[pos + 1];
            pos += 2;
            if (x > width || y > height) return false;
        } else {  // literal pixels, padded to a 16-bit boundary
            const std::size_t bytes = four ? (code + 1) / 2 : code;
            const std::size_t padded = bytes + (bytes & 1);
            if (data.size() - pos < padded) return false;
            if (y >= height || x + code > width) return false;
            std::uint8_t* row = rowOf(y);
            for (unsigned i = 0; i < code; ++i) {
                const std::uint8_t byte = data[pos + (four ? i / 2 : i)];
                const unsigned index = four ? ((i & 1) ? (byte & 0x0F) : (byte >> 4)) : byte;
                PutQuad(row, std::size_t(x + i), l.palette[index]);
            }
            x += code;
            pos += padded;
        }
    }
}

// Owns one open file descriptor.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

BitmapHandle DecodeBmp(std::span<const std::uint8_t> file) {
    const std::optional<Layout> layout = ReadLayout(file);
    if (!layout) return nullptr;
    BitmapHandle bitmap = Bitmap::CreateCompatible(layout->width, layout->height);
    if (!bitmap) return nullptr;
    if (layout->compression == kRle8 || layout->compression == kRle4) {
        const auto data = file.subspan(layout->dataOffset, layout->dataEnd - layout->dataOffset);
        if (!DecodeRle(data, *layout, *bitmap)) return nullptr;
    } else {
        DecodeRows(file, *layout, *bitmap);
    }
    return bitmap;
}

BitmapHandle LoadBmpFile(const std::string& path) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return nullptr;
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
    if (info.st_size < 0 || info.st_size > kMaxBmpFileBytes) return nullptr;
    const std::size_t size = static_cast<std::size_t>(info.st_size);
    std::unique_ptr<std::uint8_t[]> bytes;
    try {
        bytes = std::make_unique_for_overwrite<std::uint8_t[]>(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::read(fd.get(), bytes.get() + done, size - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;  // the file shrank or failed: decode what is there, which checks it
        done += static_cast<std::size_t>(got);
    }
    return DecodeBmp({bytes.get(), done});
}

}  // namespace gdi
