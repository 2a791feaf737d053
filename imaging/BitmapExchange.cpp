#include <algorithm>
#include <cstring>
#include <new>

#include "imaging/BitmapObject.h"
#include "platform/gdi/Limits.h"

// The operations of BitmapObject that fill it from memory, icons and device contexts, convert
// its depth and copy it onto another object: the drawing layer only, no display.
namespace imaging {
namespace {

constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kBmpFileHeaderSize = 14;
constexpr std::size_t kBmpHeadersSize = kBmpFileHeaderSize + kInfoHeaderSize;
constexpr gdi::ColorRef kWhite = gdi::MakeColor(255, 255, 255);

std::uint16_t U16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

std::uint32_t U32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return U16(bytes, at) | (std::uint32_t{U16(bytes, at + 2)} << 16);
}

// Whether `record` is the packed DIB BuildRecord makes for this size and depth, up to the
// fields that do not change its layout (resolution, important colours, image size, a colour
// count of 0 or the full table) and the contents of table and rows.
bool RecordDescribes(std::span<const std::uint8_t> record, int width, int height, int bitCount) {
    if (record.size() < kInfoHeaderSize) return false;
    const std::uint32_t entries = bitCount <= 8 ? 1u << bitCount : 0;
    const std::uint32_t colorsUsed = U32(record, 32);
    const std::int64_t stride = BitmapObject::StrideForBits(std::int64_t{width} * bitCount);
    const std::uint64_t length =
        kInfoHeaderSize + 4 * std::uint64_t{entries} +
        static_cast<std::uint64_t>(stride) * static_cast<std::uint64_t>(height);
    return U32(record, 0) == kInfoHeaderSize &&
           static_cast<std::int32_t>(U32(record, 4)) == width &&
           static_cast<std::int32_t>(U32(record, 8)) == height && U16(record, 12) == 1 &&
           U16(record, 14) == bitCount && U32(record, 16) == 0 &&
           (colorsUsed == 0 || colorsUsed == entries) && record.size() == length;
}

}  // namespace

bool BitmapObject::DepthAllowed(int bitCount) {
    return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 ||
           bitCount == 32;
}

bool BitmapObject::CaptureBlock(const gdi::DeviceContext& source, int x, int y, int width,
                                int height, int bitCount) {
    if (!BuildRecord(width, height, bitCount)) return false;
    if (!MakeSurface()) return false;
    if (!gdi::BitBlt(*memoryDc_, 0, 0, width, height, source, x, y)) {
        Clear();
        return false;
    }
    CopySurfaceToRecord();
    return true;
}

bool BitmapObject::LoadFromBmpImage(const ByteSet& bytes) {
    Clear();
    if (bytes.size() <= kBmpHeadersSize) return false;
    const int width = U16(bytes, 18);
    const int height = U16(bytes, 22);
    const int bitCount = U16(bytes, 28);
    if (width < 1 || height < 1) return false;
    if (!BuildRecord(width, height, bitCount)) return false;
    const std::size_t length = dibRecord_.size();
    // The record is the end of the file: it must be there, whole, and say what the header said.
    if (bytes.size() < length ||
        !RecordDescribes(std::span(bytes).last(length), width, height, bitCount)) {
        Clear();
        return false;
    }
    std::copy(bytes.end() - static_cast<std::ptrdiff_t>(length), bytes.end(), dibRecord_.begin());
    // The surface is made from the file's own colour table, so that it shows what the record says.
    if (!MakeSurface()) return false;
    const auto bits = dib_->Bits();
    std::memcpy(bits.data(), PixelAddress(), std::min(bits.size(), std::size_t(PixelByteCount())));
    return true;
}

bool BitmapObject::LoadFromIcon(const gdi::IconHandle& icon, const LoadFromIconArgs& args) {
    const int width = args.width.value_or(32);
    const int height = args.height.value_or(32);
    const gdi::BitmapHandle canvas = gdi::Bitmap::CreateCompatible(width, height);
    const std::unique_ptr<gdi::DeviceContext> dc = screenDc_->CreateCompatible();
    if (!canvas || !dc->Select(canvas)) {
        Clear();
        return false;
    }
    gdi::FillRect(*dc, {0, 0, width, height}, kWhite);
    if (!gdi::DrawIconEx(*dc, 0, 0, icon, width, height)) {
        Clear();
        return false;
    }
    CaptureDC(*dc, {0, 0, width, height}, args.bitCount.value_or(32));
    return dib_ != nullptr;
}

bool BitmapObject::CaptureDC(const gdi::DeviceContext& dc, const gdi::Rect& area, int bitCount) {
    // Capturing from our own context reads the old picture: it stays alive until the copy is done.
    const std::unique_ptr<gdi::DeviceContext> previous = std::move(memoryDc_);
    Clear();
    if (!DepthAllowed(bitCount) || !gdi::SizeAllowed(area.Width(), area.Height())) return false;
    return CaptureBlock(dc, area.left, area.top, static_cast<int>(area.Width()),
                        static_cast<int>(area.Height()), bitCount);
}

bool BitmapObject::Attach(gdi::BitmapHandle dib, const ByteSet& record) {
    Clear();
    if (!dib || !dib->IsDibSection() || !dib->IsBottomUp() ||
        !RecordDescribes(record, dib->Width(), dib->Height(), dib->BitCount())) {
        return false;
    }
    std::unique_ptr<gdi::DeviceContext> dc = screenDc_->CreateCompatible();
    if (!dc->Select(dib)) return false;
    try {
        dibRecord_ = record;
    } catch (const std::bad_alloc&) {
        return false;
    }
    memoryDc_ = std::move(dc);
    dib_ = std::move(dib);
    return true;
}

bool BitmapObject::ConvertDepth(int bitCount) {
    if (!dib_ || !DepthAllowed(bitCount)) return false;
    const int width = dib_->Width();
    const int height = dib_->Height();
    // The old surface stays in its context until the picture has been copied out of it.
    std::unique_ptr<gdi::DeviceContext> oldDc = std::move(memoryDc_);
    gdi::BitmapHandle oldDib = std::move(dib_);
    ByteSet oldRecord = std::move(dibRecord_);
    const bool oldDirty = dirty_;
    dibRecord_.clear();
    if (!BuildRecord(width, height, bitCount) || !MakeSurface()) {
        memoryDc_ = std::move(oldDc);
        dib_ = std::move(oldDib);
        dibRecord_ = std::move(oldRecord);
        dirty_ = oldDirty;
        return false;
    }
    gdi::BitBlt(*memoryDc_, 0, 0, width, height, *oldDc, 0, 0);
    CopySurfaceToRecord();
    dirty_ = false;
    return true;
}

bool BitmapObject::DrawTo(BitmapObject& target, const DrawToArgs& args) {
    if (!dib_ || target.GetMemoryDC() == nullptr) return false;
    gdi::BitBlt(*target.GetMemoryDC(), args.dstX.value_or(0), args.dstY.value_or(0),
                args.width.value_or(dib_->Width()), args.height.value_or(dib_->Height()),
                *memoryDc_, args.srcX.value_or(0), args.srcY.value_or(0));
    target.RefreshRecord();
    return true;
}

}  // namespace imaging
