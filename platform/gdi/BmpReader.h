#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Limits.h"

// Reading BMP files into bitmaps of the display's format.
namespace gdi {

// The largest BMP file read from disk: room for the largest picture at 32 bits plus headers.
inline constexpr std::int64_t kMaxBmpFileBytes = 4 * kMaxPixels + (std::int64_t{1} << 20);

// Decodes the bytes of a BMP file into a new bitmap in the display's format, as the system loads
// a BMP file without asking for a DIB section. Reads what real files hold: the 12-byte core header
// and the 40, 52, 56, 108 and 124-byte info headers; 1, 4, 8, 16, 24 and 32 bits per pixel;
// BI_RGB, BI_BITFIELDS (16 and 32 bits), BI_RLE8 and BI_RLE4; rows bottom-up and top-down.
// Pixels an RLE stream skips stay black; alpha is dropped. Null for anything else: another format,
// a file cut short, a field that points outside the file, an RLE run past its row, or a picture
// of more pixels than Limits.h allows. Never reads or writes outside the given bytes. Thread-safe.
BitmapHandle DecodeBmp(std::span<const std::uint8_t> file);

// The file at `path` (a UTF-8 file name) read whole and decoded by DecodeBmp. Null when it is not
// a readable regular file of at most kMaxBmpFileBytes, or not a BMP that DecodeBmp reads.
BitmapHandle LoadBmpFile(const std::string& path);

}  // namespace gdi
