#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "imaging/BmpHeaders.h"
#include "platform/display/WindowId.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Color.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Icon.h"
#include "platform/gdi/Rect.h"
#include "text/core/Text.h"

namespace imaging {

// Arguments of BitmapObject::LoadFromIcon; an omitted field takes the value in brackets.
struct LoadFromIconArgs {
    std::optional<int> width;     // [32]
    std::optional<int> height;    // [32]
    std::optional<int> bitCount;  // [32]
};

// Arguments of BitmapObject::CaptureScreen; omitted and 0 are the same.
struct CaptureScreenArgs {
    std::optional<int> width;     // [0: the screen's width less x]
    std::optional<int> height;    // [0: the screen's height less y]
    std::optional<int> bitCount;  // [0: the screen's bits per pixel]
};

// Arguments of BitmapObject::CaptureWindow; omitted and 0 are the same.
struct CaptureWindowArgs {
    std::optional<int> width;     // [0: the client area's width less x]
    std::optional<int> height;    // [0: the client area's height less y]
    std::optional<int> bitCount;  // [0: 24]
};

// Arguments of BitmapObject::DrawTo; an omitted field takes the value in brackets.
struct DrawToArgs {
    std::optional<int> srcX;    // [0]
    std::optional<int> srcY;    // [0]
    std::optional<int> width;   // [the surface's width]
    std::optional<int> height;  // [the surface's height]
    std::optional<int> dstX;    // [0]
    std::optional<int> dstY;    // [0]
};

// One bitmap held twice: as a drawing surface (a DIB section selected into a memory device
// context) and as `DibRecord`, a packed DIB in memory (40-byte info header, colour table, pixel
// rows bottom row first) that mirrors the surface's pixel memory and serialises as a BMP file.
// The object measures itself by its record. It owns its surface, contexts and buffers; it is used
// by one thread at a time and never copied. Nothing here throws: failures give false, 0 or an
// empty value, and a failed load leaves the object empty. The operations that reach the display
// (CaptureScreen, CaptureWindow, LoadFromClipboard, CopyToClipboard, PaintToWindow) are defined
// in the imaging_capture library, which a program calling them links; the rest need no display.
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
    // The bytes of a BMP file read directly: width, height and depth from the low 16 bits of the
    // header's fields (offsets 18, 22 and 28), the record taken whole from the end of the bytes.
    // False, with the object empty, for 54 bytes or fewer, a width or height of 0 in those bits,
    // a size or depth BuildRecord refuses, bytes too short for the record, or a record whose
    // header is not a 40-byte BI_RGB header of that size and depth (a file with a larger header,
    // compression, a short colour table or trailing bytes). An indexed picture keeps the file's
    // colour table, on the surface as in the record.
    bool LoadFromBmpImage(const ByteSet& bytes);
    // `icon` drawn at the given size, stretched, onto white, captured at the given depth.
    // False, with the object empty, for a null icon or a size or depth that is refused.
    bool LoadFromIcon(const gdi::IconHandle& icon, const LoadFromIconArgs& args = {});
    // A width x height block of the screen at (x, y), at a depth of 1, 4, 8, 16, 24 or 32 bits;
    // what lies outside the screen is black. False, with the object empty, when no X display
    // answers, for any other depth, and for a block of no pixels (for example x past the
    // screen's right edge with the width omitted). Defined in imaging_capture, which brings the
    // X display layer.
    bool CaptureScreen(int x, int y, const CaptureScreenArgs& args = {});
    // The width x height block at (x, y) of the window's client area (client coordinates, so x
    // or y below 0 reach into the frame), from the whole window rendered as
    // display::Session::RenderWindow says (covered parts come out whole only where the server
    // keeps the window's picture). False, with the object empty, when no X display answers, for
    // an unknown, unmapped or iconified window, a depth other than 1, 4, 8, 16, 24 or 32, or a
    // block of no pixels. Defined in imaging_capture.
    bool CaptureWindow(display::WindowId window, int x, int y, const CaptureWindowArgs& args = {});
    // The block `area` of `dc` at `bitCount` bits. False, with the object empty, for a depth
    // other than 1, 4, 8, 16, 24 or 32, an empty or oversized area, and a context that holds no
    // picture (the screen's: CaptureScreen reads the screen). `dc` may be this object's own
    // context: its old picture is then what is captured.
    bool CaptureDC(const gdi::DeviceContext& dc, const gdi::Rect& area, int bitCount);
    // Takes `dib` as the surface (shared, not copied) and `record` as the record. False, with
    // the object empty, unless `dib` is a bottom-up DIB section that no other context holds and
    // `record` describes exactly its picture (a 40-byte BI_RGB header of its size and depth, the
    // full colour table, the rows, nothing more). The pixel operations then work on it as on any
    // surface.
    bool Attach(gdi::BitmapHandle dib, const ByteSet& record);
    // A copy of the clipboard's picture at `bitCount` bits (0: its own, 32). False, with the
    // object empty, when the clipboard holds no picture or cannot be reached from this thread
    // (see platform/display/Clipboard.h). Defined in imaging_capture.
    bool LoadFromClipboard(int bitCount = 0);
    // A new black picture (colour-table entry 0 at 1, 4 and 8 bits). False, with the object
    // empty, when BuildRecord refuses the size or depth.
    bool CreateBlank(int width, int height, int bitCount);
    // Copies the surface's pixel memory into the record (when there is one); Dirty stays as is.
    void RefreshRecord();
    // Makes the record: header, colour table for 1, 4 and 8 bits, zeroed rows. False, with the
    // record as it was, for a depth other than 1, 4, 8, 16, 24 or 32, and for a width or height
    // below 1 or a picture past the limits of platform/gdi/Limits.h.
    bool BuildRecord(int width, int height, int bitCount);

    // The picture at `bitCount` bits, same size; brought up to date and no longer Dirty. False,
    // with nothing changed, when the object is empty or for a depth other than 1, 4, 8, 16, 24 or
    // 32.
    bool ConvertDepth(int bitCount);
    // BitBlt of the block at (srcX, srcY) onto `target` at (dstX, dstY), then the target's
    // RefreshRecord. `target` may be this object. False when either object holds no surface.
    bool DrawTo(BitmapObject& target, const DrawToArgs& args = {});

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

    // Puts a copy of the picture on the clipboard. False when the object is empty or the
    // clipboard cannot be reached from this thread (see platform/display/Clipboard.h). Defined in
    // imaging_capture.
    bool CopyToClipboard();
    // Draws the picture at the top-left corner of the window, as display::Session::PaintWindow
    // says. False when the object is empty, no X display answers, or the window cannot be drawn
    // on. Defined in imaging_capture.
    bool PaintToWindow(display::WindowId window);

    const ByteSet& ColorTable2() const { return colorTable2_; }
    const ByteSet& ColorTable16() const { return colorTable16_; }
    const ByteSet& ColorTable256() const { return colorTable256_; }
    bool IsDirty() const { return dirty_; }

private:
    // The memory context and the DIB section made from the record; false when refused.
    bool MakeSurface();
    void CopySurfaceToRecord();
    bool LoadFromUtf8Path(const std::string& path);
    // After Clear: a new surface of width x height at bitCount holding the block at (x, y) of
    // `source`. False, with the object empty, when refused or the copy fails.
    bool CaptureBlock(const gdi::DeviceContext& source, int x, int y, int width, int height,
                      int bitCount);
    static bool DepthAllowed(int bitCount);

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
