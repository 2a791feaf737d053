#include "imaging/BitmapObject.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <string>

#include "imaging/SpecialFolder.h"
#include "imaging/TempFile.h"
#include "platform/codepage/CodePage.h"
#include "platform/gdi/BmpReader.h"
#include "platform/gdi/Limits.h"

namespace imaging {
namespace {

constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kFileHeaderSize = 14;
constexpr int kTemporaryFolder = 11;
constexpr char kLoadFilePrefix[] = "新位图操作类_载入位图";

void Put16(ByteSet& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(ByteSet& out, std::uint32_t value) {
    Put16(out, static_cast<std::uint16_t>(value & 0xFFFF));
    Put16(out, static_cast<std::uint16_t>(value >> 16));
}

std::uint16_t Read16(const ByteSet& bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

std::int32_t Read32(const ByteSet& bytes, std::size_t offset) {
    return static_cast<std::int32_t>(Read16(bytes, offset) |
                                     (std::uint32_t{Read16(bytes, offset + 2)} << 16));
}

void PutQuad(ByteSet& table, int entry, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    std::uint8_t* quad = table.data() + 4 * entry;
    quad[0] = blue;
    quad[1] = green;
    quad[2] = red;
    quad[3] = 0;
}

}  // namespace

BitmapObject::BitmapObject() : screenDc_(gdi::DeviceContext::Screen()) { BuildColorTables(); }

BitmapObject::~BitmapObject() = default;

void BitmapObject::Clear() {
    if (dibRecord_.empty() && !dib_) return;
    memoryDc_.reset();
    dib_.reset();
    screenDc_.reset();
    dibRecord_.clear();
    screenDc_ = gdi::DeviceContext::Screen();
    dirty_ = false;
}

void BitmapObject::BuildColorTables() {
    colorTable2_.assign(8, 0);
    PutQuad(colorTable2_, 1, 255, 255, 255);

    // Red, green, blue.
    static constexpr std::uint8_t kSixteen[16][3] = {
        {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},  {0, 0, 128}, {128, 0, 128},
        {0, 128, 128}, {128, 128, 128}, {192, 192, 192}, {255, 0, 0},    {0, 255, 0}, {255, 255, 0},
        {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};
    colorTable16_.assign(64, 0);
    for (int i = 0; i < 16; ++i) {
        PutQuad(colorTable16_, i, kSixteen[i][0], kSixteen[i][1], kSixteen[i][2]);
    }

    // Blue from the top two bits of the index, green from the next three, red from the low three.
    colorTable256_.assign(1024, 0);
    for (int k = 0; k < 256; ++k) {
        PutQuad(colorTable256_, k, static_cast<std::uint8_t>((k & 7) * 32),
                static_cast<std::uint8_t>(((k >> 3) & 7) * 32),
                static_cast<std::uint8_t>((k >> 6) * 64));
    }
    // The system's twenty static colours (red, green, blue) at both ends.
    static constexpr std::uint8_t kLow[10][3] = {
        {0, 0, 0},     {128, 0, 0},   {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
        {128, 0, 128}, {0, 128, 128}, {192, 192, 192}, {192, 220, 192}, {166, 202, 240}};
    static constexpr std::uint8_t kHigh[10][3] = {
        {255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},   {0, 255, 0},
        {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255}, {255, 255, 255}};
    for (int i = 0; i < 10; ++i) {
        PutQuad(colorTable256_, i, kLow[i][0], kLow[i][1], kLow[i][2]);
        PutQuad(colorTable256_, 246 + i, kHigh[i][0], kHigh[i][1], kHigh[i][2]);
    }
}

bool BitmapObject::BuildRecord(int width, int height, int bitCount) {
    int entries = 0;
    switch (bitCount) {
        case 1:
            entries = 2;
            break;
        case 4:
            entries = 16;
            break;
        case 8:
            entries = 256;
            break;
        case 16:
        case 24:
        case 32:
            break;
        default:
            return false;
    }
    if (!gdi::SizeAllowed(width, height)) return false;
    const std::int64_t stride = StrideForBits(std::int64_t{width} * bitCount);
    ByteSet record = InfoHeaderBytes(
        {.width = width, .height = height, .bitCount = static_cast<std::uint16_t>(bitCount)});
    try {
        record.resize(kInfoHeaderSize + 4 * static_cast<std::size_t>(entries) +
                      static_cast<std::size_t>(stride * height));
    } catch (const std::bad_alloc&) {
        return false;
    }
    const ByteSet* table = bitCount == 1   ? &colorTable2_
                           : bitCount == 4 ? &colorTable16_
                           : bitCount == 8 ? &colorTable256_
                                           : nullptr;
    if (table) std::copy(table->begin(), table->end(), record.begin() + kInfoHeaderSize);
    dibRecord_ = std::move(record);
    return true;
}

bool BitmapObject::MakeSurface() {
    memoryDc_ = screenDc_->CreateCompatible();
    dib_ = gdi::Bitmap::CreateDibSection(
        std::span(dibRecord_).first(kInfoHeaderSize + ColorTableByteCount()));
    if (!dib_ || !memoryDc_->Select(dib_)) {
        Clear();
        return false;
    }
    return true;
}

void BitmapObject::CopySurfaceToRecord() {
    if (dibRecord_.empty() || !dib_) return;
    const auto bits = dib_->Bits();
    const std::size_t count = std::min(bits.size(), static_cast<std::size_t>(PixelByteCount()));
    std::memcpy(dibRecord_.data() + (dibRecord_.size() - PixelByteCount()), bits.data(), count);
}

bool BitmapObject::CreateBlank(int width, int height, int bitCount) {
    Clear();
    if (!BuildRecord(width, height, bitCount)) return false;
    if (!MakeSurface()) return false;
    CopySurfaceToRecord();
    return true;
}

bool BitmapObject::LoadFromHandle(const gdi::BitmapHandle& bitmap, int bitCount) {
    Clear();
    const std::optional<gdi::BitmapDimensions> dims = gdi::GetBitmapDimensions(bitmap);
    if (!dims) return false;
    const std::unique_ptr<gdi::DeviceContext> source = screenDc_->CreateCompatible();
    if (!source->Select(bitmap)) return false;
    const int depth = bitCount != 0 ? bitCount : dims->bitsPerPixel;
    if (!BuildRecord(dims->width, dims->height, depth)) return false;
    if (!MakeSurface()) return false;
    gdi::BitBlt(*memoryDc_, 0, 0, dims->width, dims->height, *source, 0, 0);
    CopySurfaceToRecord();
    return true;
}

bool BitmapObject::LoadFromUtf8Path(const std::string& path) {
    return LoadFromHandle(gdi::LoadBmpFile(path), 0);
}

bool BitmapObject::LoadFromFile(const Text& path) {
    return LoadFromUtf8Path(codepage::Utf8FromGbk(path));
}

bool BitmapObject::LoadFromBytes(const ByteSet& bytes) {
    try {
        TempFile file(SpecialFolderUtf8({.type = kTemporaryFolder}), kLoadFilePrefix, ".bmp");
        if (!file.WriteAll(bytes.data(), bytes.size())) {
            Clear();
            return false;
        }
        return LoadFromUtf8Path(file.Path());
    } catch (const std::exception&) {
        Clear();
        return false;
    }
}

void BitmapObject::RefreshRecord() { CopySurfaceToRecord(); }

int BitmapObject::Width() const { return dibRecord_.empty() ? 0 : Read32(dibRecord_, 4); }

int BitmapObject::Height() const { return dibRecord_.empty() ? 0 : Read32(dibRecord_, 8); }

int BitmapObject::BitCount() const {
    return dibRecord_.empty() ? 0 : static_cast<std::int16_t>(Read16(dibRecord_, 14));
}

int BitmapObject::SurfaceWidth() const {
    const auto dims = gdi::GetBitmapDimensions(dib_);
    return dims ? dims->width : 0;
}

int BitmapObject::SurfaceHeight() const {
    const auto dims = gdi::GetBitmapDimensions(dib_);
    return dims ? dims->height : 0;
}

int BitmapObject::SurfaceBitCount() const {
    const auto dims = gdi::GetBitmapDimensions(dib_);
    return dims ? dims->bitsPerPixel : 0;
}

const std::uint8_t* BitmapObject::RecordAddress() const {
    return dibRecord_.empty() ? nullptr : dibRecord_.data();
}

const std::uint8_t* BitmapObject::PixelAddress() const {
    return dibRecord_.empty() ? nullptr
                              : dibRecord_.data() + kInfoHeaderSize + ColorTableByteCount();
}

const std::uint8_t* BitmapObject::ColorTableAddress() const {
    if (dibRecord_.empty() || BitCount() >= 16) return nullptr;
    return dibRecord_.data() + kInfoHeaderSize;
}

int BitmapObject::PixelByteCount() const { return dibRecord_.empty() ? 0 : Height() * RowStride(); }

int BitmapObject::ColorTableByteCount() const {
    return dibRecord_.empty() ? 0 : 4 * ColorCountOf(std::span(dibRecord_).first(kInfoHeaderSize));
}

int BitmapObject::RowStride() const {
    if (dibRecord_.empty()) return 0;
    return static_cast<int>(StrideForBits(std::int64_t{Read32(dibRecord_, 4)} *
                                          Read16(dibRecord_, 12) * Read16(dibRecord_, 14)));
}

int BitmapObject::ColorCountOf(std::span<const std::uint8_t> infoHeader) {
    if (infoHeader.size() < 16) return 0;
    switch (infoHeader[14] | (infoHeader[15] << 8)) {
        case 1:
            return 2;
        case 4:
            return 16;
        case 8:
            return 256;
        default:
            return 0;
    }
}

std::int64_t BitmapObject::StrideForBits(std::int64_t bits) { return ((bits + 31) >> 5) << 2; }

ByteSet BitmapObject::InfoHeaderBytes(const BitmapInfoHeader& h) {
    ByteSet out;
    out.reserve(kInfoHeaderSize);
    Put32(out, h.size);
    Put32(out, static_cast<std::uint32_t>(h.width));
    Put32(out, static_cast<std::uint32_t>(h.height));
    Put16(out, h.planes);
    Put16(out, h.bitCount);
    Put32(out, h.compression);
    Put32(out, h.sizeImage);
    Put32(out, static_cast<std::uint32_t>(h.xPelsPerMeter));
    Put32(out, static_cast<std::uint32_t>(h.yPelsPerMeter));
    Put32(out, h.clrUsed);
    Put32(out, h.clrImportant);
    return out;
}

ByteSet BitmapObject::FileHeaderBytes(const BitmapFileHeader& h) {
    ByteSet out;
    out.reserve(kFileHeaderSize);
    Put16(out, h.type);
    Put32(out, h.size);
    Put16(out, h.reserved1);
    Put16(out, h.reserved2);
    Put32(out, h.offBits);
    return out;
}

ByteSet BitmapObject::ToBmpBytes() {
    if (dirty_) {
        CopySurfaceToRecord();
        dirty_ = false;
    }
    ByteSet out =
        FileHeaderBytes({.size = static_cast<std::uint32_t>(kFileHeaderSize + dibRecord_.size()),
                         .offBits = static_cast<std::uint32_t>(kFileHeaderSize + kInfoHeaderSize +
                                                               ColorTableByteCount())});
    out.insert(out.end(), dibRecord_.begin(), dibRecord_.end());
    return out;
}

ByteSet BitmapObject::PixelBytes() {
    if (dirty_) {
        CopySurfaceToRecord();
        dirty_ = false;
    }
    return ByteSet(dibRecord_.end() - PixelByteCount(), dibRecord_.end());
}

gdi::ColorRef BitmapObject::ReadPixel(int x, int y) {
    if (dirty_) {
        CopySurfaceToRecord();
        dirty_ = false;
    }
    return memoryDc_ ? memoryDc_->GetPixel(x, y) : gdi::kInvalidColor;
}

bool BitmapObject::WritePixel(int x, int y, gdi::ColorRef color) {
    dirty_ = memoryDc_ && memoryDc_->SetPixelV(x, y, color);
    return dirty_;
}

}  // namespace imaging
