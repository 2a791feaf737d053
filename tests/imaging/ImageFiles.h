#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>

#include <cstdint>
#include <string>

#include "text/core/Text.h"

// Image files made for the tests with Qt's own writers, and hand-made ones Qt cannot write.
namespace imagefiles {

inline ByteSet Save(const QImage& image, const char* format, int quality = -1) {
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    if (!writer.write(image)) return {};
    return ByteSet(out.begin(), out.end());
}

inline std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

inline void PutBe32(ByteSet& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back((v >> shift) & 0xFF);
}

inline void PngChunk(ByteSet& out, const char* type, const ByteSet& data) {
    PutBe32(out, static_cast<std::uint32_t>(data.size()));
    ByteSet body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    PutBe32(out, Crc32(body.data(), body.size()));
}

// A well-formed PNG header declaring width x height RGB pixels, followed by a tiny zlib stream:
// what a decoder bomb sent over the network looks like.
inline ByteSet PngDeclaring(std::uint32_t width, std::uint32_t height) {
    ByteSet out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    ByteSet header;
    PutBe32(header, width);
    PutBe32(header, height);
    header.insert(header.end(), {8, 2, 0, 0, 0});
    PngChunk(out, "IHDR", header);
    PngChunk(out, "IDAT", {0x78, 0x9C, 0x63, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01});
    PngChunk(out, "IEND", {});
    return out;
}

// A JPEG made by Qt whose frame header is changed to declare width x height.
inline ByteSet JpegDeclaring(std::uint16_t width, std::uint16_t height) {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::gray);
    ByteSet file = Save(image, "JPEG");
    for (std::size_t i = 0; i + 8 < file.size(); ++i) {
        if (file[i] == 0xFF && file[i + 1] == 0xC0) {
            file[i + 5] = height >> 8;
            file[i + 6] = height & 0xFF;
            file[i + 7] = width >> 8;
            file[i + 8] = width & 0xFF;
            break;
        }
    }
    return file;
}

// A 1 x 1 GIF whose only pixel is `red, green, blue` (Qt reads GIF but does not write it).
inline ByteSet Gif1x1(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return {'G',  'I',   'F',  '8',  '9', 'a', 1, 0, 1, 0, 0x80, 0, 0,  // screen, 2-colour table
            red,  green, blue, 0,    0,   0,                            // the table
            0x2C, 0,     0,    0,    0,   1,   0, 1, 0, 0,              // image descriptor
            2,    2,     0x44, 0x01, 0,                                 // LZW: clear, 0, end
            0x3B};
}

// The pixel (x, y), y = 0 the top row, of a 24-bit bottom-up BMP file image, read by the layout
// alone; 0xFFFFFFFF outside.
inline std::uint32_t PixelOf(const ByteSet& bmp, int x, int y) {
    auto u32 = [&](std::size_t at) {
        return bmp[at] | (bmp[at + 1] << 8) | (bmp[at + 2] << 16) |
               (std::uint32_t{bmp[at + 3]} << 24);
    };
    const int width = static_cast<int>(u32(18));
    const int height = static_cast<int>(u32(22));
    if (x < 0 || y < 0 || x >= width || y >= height) return 0xFFFFFFFF;
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    const std::size_t at = u32(10) + (height - 1 - y) * stride + 3 * x;
    return bmp[at + 2] | (bmp[at + 1] << 8) | (std::uint32_t{bmp[at]} << 16);
}

}  // namespace imagefiles
