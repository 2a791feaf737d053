#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "imaging/BmpHeaders.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Color.h"
#include "platform/gdi/DeviceContext.h"
#include "text/core/Text.h"

namespace imaging {

// One bitmap held twice: as a drawing surface (a DIB section selected into a memory device
// context) and as `DibRecord`, a packed DIB in memory (40-byte info header, colour table, pixel
// rows bottom row first) that mirrors the surface's pixel memory and serialises as a BMP file.
// The object measures itself by its record. It owns its surface, contexts and buffers; it is used
// by one thread at a time and never copied. Nothing here throws: failures give false, 0 or an
// empty value, and a failed load leaves the object empty.
class BitmapObject {
public:
    // Builds the three colour tables and takes the screen's context.
    BitmapObject();
    ~BitmapObject();
    BitmapObject(const BitmapObject&) = delete;
    BitmapObject& operator=(const BitmapObject&) = delete;

    // Releases the surface and empties the record; nothing happens when already empty.
    void Clear();
    // Fills the 2-, 16- and 256-entry colour tables.
    void BuildColorTables();

    // The bytes of a BMP file, loaded through a file of their own in the temporary folder (named
    // "新位图操作类_载入位图", six random characters, ".bmp"; made exclusively, mode 0600, deleted
    // before this returns on every path). The picture takes the display's depth (32 bits).
    bool LoadFromBytes(const ByteSet& bytes);
    // A BMP file on disk (GBK path), loaded at the display's depth (32 bits).
    bool LoadFromFile(const Text& path);
    // A copy of `bitmap` (not taken over) at `bitCount` bits, or at its own depth when 0.
    // False, with the object empty, for a null bitmap, one selected into another context, or a
    // depth BuildRecord refuses.
    bool LoadFromHandle(const gdi::BitmapHandle& bitmap, int bitCount = 0);
    // A new black picture (colour-table entry 0 at 1, 4 and 8 bits). False, with the object
    // empty, when BuildRecord refuses the size or depth.
    bool CreateBlank(int width, int height, int bitCount);
    // Copies the surface's pixel memory into the record (when there is one); Dirty stays as is.
    void RefreshRecord();
    // Makes the record: header, colour table for 1, 4 and 8 bits, zeroed rows. False, with the
    // record as it was, for a depth other than 1, 4, 8, 16, 24 or 32, and for a width or height
    // below 1 or a picture past the limits of platform/gdi/Limits.h.
    bool BuildRecord(int width, int height, int bitCount);

    // The surface and its context; null when empty. Owned by this object.
    const gdi::BitmapHandle& GetDib() const { return dib_; }
    gdi::DeviceContext* GetMemoryDC() const { return memoryDc_.get(); }

    // From the record; 0 when it is empty.
    int Width() const;
    int Height() const;
    int BitCount() const;
    // From the surface; 0 when there is none.
    int SurfaceWidth() const;
    int SurfaceHeight() const;
    int SurfaceBitCount() const;

    // Addresses into the record, valid until the next operation that changes it; null where the
    // record or the part is absent.
    const std::uint8_t* RecordAddress() const;
    const std::uint8_t* PixelAddress() const;
    const std::uint8_t* ColorTableAddress() const;
    int PixelByteCount() const;
    int ColorTableByteCount() const;
    int RowStride() const;

    // Entries in the colour table of a depth read from an info header: 2, 16, 256 or 0.
    static int ColorCountOf(std::span<const std::uint8_t> infoHeader);
    // ((bits + 31) >> 5) << 2: a row of that many bits rounded up to whole 32-bit words.
    static std::int64_t StrideForBits(std::int64_t bits);
    static ByteSet InfoHeaderBytes(const BitmapInfoHeader& header);
    static ByteSet FileHeaderBytes(const BitmapFileHeader& header);

    // The BMP file image: file header and record, brought up to date first.
    ByteSet ToBmpBytes();
    // The record's pixel rows, brought up to date first.
    ByteSet PixelBytes();
    // The colour at (x, y), y = 0 being the top row; gdi::kInvalidColor outside or when empty.
    gdi::ColorRef ReadPixel(int x, int y);
    // Sets one pixel; false outside or when empty. Each call sets Dirty to its own result.
    bool WritePixel(int x, int y, gdi::ColorRef color);

    const ByteSet& ColorTable2() const { return colorTable2_; }
    const ByteSet& ColorTable16() const { return colorTable16_; }
    const ByteSet& ColorTable256() const { return colorTable256_; }
    bool IsDirty() const { return dirty_; }

private:
    // The memory context and the DIB section made from the record; false when refused.
    bool MakeSurface();
    void CopySurfaceToRecord();
    bool LoadFromUtf8Path(const std::string& path);

    ByteSet colorTable2_;
    ByteSet colorTable16_;
    ByteSet colorTable256_;
    std::unique_ptr<gdi::DeviceContext> screenDc_;
    std::unique_ptr<gdi::DeviceContext> memoryDc_;
    gdi::BitmapHandle dib_;
    ByteSet dibRecord_;
    bool dirty_ = false;
};

}  // namespace imaging
