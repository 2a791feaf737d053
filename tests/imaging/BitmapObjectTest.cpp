#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <thread>
#include <vector>

#include "imaging/BitmapObject.h"
#include "imaging/TempFile.h"
#include "platform/codepage/CodePage.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DeviceContext.h"
#include "tests/imaging/TempFolder.h"

using gdi::MakeColor;
using imaging::BitmapObject;

namespace {

std::uint32_t U32At(const ByteSet& bytes, std::size_t at) {
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) |
           (std::uint32_t{bytes[at + 3]} << 24);
}

// A 24-bit BMP file of width x height whose pixel (x, y) is `colorOf(x, y)`, written by hand.
template <typename ColorOf>
ByteSet Bmp24(int width, int height, ColorOf colorOf) {
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    ByteSet file(54 + stride * height, 0);
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) file[at + i] = (v >> (8 * i)) & 0xFF;
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<std::uint32_t>(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, width);
    put32(22, height);
    file[26] = 1;
    file[28] = 24;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const gdi::ColorRef c = colorOf(x, y);
            std::uint8_t* p = &file[54 + (height - 1 - y) * stride + 3 * x];
            p[0] = gdi::BlueOf(c);
            p[1] = gdi::GreenOf(c);
            p[2] = gdi::RedOf(c);
        }
    }
    return file;
}

struct TableEntry {
    const char* table;
    int entry;
    int red;
    int green;
    int blue;
};

class ColorTables : public testing::TestWithParam<TableEntry> {};

TEST_P(ColorTables, HoldTheListedColours) {
    const TableEntry e = GetParam();
    const BitmapObject bitmap;
    const std::string name = e.table;
    const ByteSet& table = name == "2"    ? bitmap.ColorTable2()
                           : name == "16" ? bitmap.ColorTable16()
                                          : bitmap.ColorTable256();
    const std::size_t at = 4 * static_cast<std::size_t>(e.entry);
    EXPECT_EQ(ByteSet(table.begin() + at, table.begin() + at + 4),
              (ByteSet{std::uint8_t(e.blue), std::uint8_t(e.green), std::uint8_t(e.red), 0}));
}

INSTANTIATE_TEST_SUITE_P(
    Entries, ColorTables,
    testing::Values(TableEntry{"2", 0, 0, 0, 0}, TableEntry{"2", 1, 255, 255, 255},
                    TableEntry{"16", 1, 128, 0, 0}, TableEntry{"16", 7, 128, 128, 128},
                    TableEntry{"16", 8, 192, 192, 192}, TableEntry{"16", 9, 255, 0, 0},
                    TableEntry{"16", 12, 0, 0, 255}, TableEntry{"16", 15, 255, 255, 255},
                    TableEntry{"256", 0, 0, 0, 0}, TableEntry{"256", 7, 192, 192, 192},
                    TableEntry{"256", 8, 192, 220, 192}, TableEntry{"256", 9, 166, 202, 240},
                    TableEntry{"256", 10, 64, 32, 0}, TableEntry{"256", 245, 160, 192, 192},
                    TableEntry{"256", 246, 255, 251, 240}, TableEntry{"256", 247, 160, 160, 164},
                    TableEntry{"256", 248, 128, 128, 128}, TableEntry{"256", 255, 255, 255, 255}));

TEST(ColorTablesSize, AreEightSixtyFourAnd1024Bytes) {
    const BitmapObject bitmap;
    EXPECT_EQ(bitmap.ColorTable2().size(), 8u);
    EXPECT_EQ(bitmap.ColorTable16().size(), 64u);
    EXPECT_EQ(bitmap.ColorTable256().size(), 1024u);
}

TEST(BmpImage, OneBlackPixelIs58Bytes) {
    BitmapObject bitmap;
    ASSERT_TRUE(bitmap.CreateBlank(1, 1, 24));
    const ByteSet expected = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // file header
                              40,  0,   0,  0, 1, 0, 0, 0, 1, 0, 0,  0, 1, 0,
                              24,  0,  // size, width, height, planes, depth
                              0,   0,   0,  0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0,
                              0,   0,                       // compression ... y resolution
                              0,   0,   0,  0, 0, 0, 0, 0,  // colours used, important
                              0,   0,   0,  0};             // one row: pixel and padding
    EXPECT_EQ(bitmap.ToBmpBytes(), expected);
}

struct LayoutCase {
    int width;
    int height;
    int bitCount;
    int stride;
    int tableBytes;
    std::uint32_t offBits;
    std::uint32_t fileSize;
};

class RecordLayout : public testing::TestWithParam<LayoutCase> {};

TEST_P(RecordLayout, StrideTableAndOffsets) {
    const LayoutCase c = GetParam();
    BitmapObject bitmap;
    ASSERT_TRUE(bitmap.CreateBlank(c.width, c.height, c.bitCount));
    EXPECT_EQ(bitmap.Width(), c.width);
    EXPECT_EQ(bitmap.Height(), c.height);
    EXPECT_EQ(bitmap.BitCount(), c.bitCount);
    EXPECT_EQ(bitmap.RowStride(), c.stride);
    EXPECT_EQ(bitmap.ColorTableByteCount(), c.tableBytes);
    EXPECT_EQ(bitmap.PixelByteCount(), c.stride * c.height);
    EXPECT_EQ(bitmap.PixelAddress() - bitmap.RecordAddress(), 40 + c.tableBytes);
    if (c.tableBytes == 0) {
        EXPECT_EQ(bitmap.ColorTableAddress(), nullptr);
    } else {
        EXPECT_EQ(bitmap.ColorTableAddress() - bitmap.RecordAddress(), 40);
    }
    EXPECT_EQ(bitmap.SurfaceWidth(), c.width);
    EXPECT_EQ(bitmap.SurfaceHeight(), c.height);
    EXPECT_EQ(bitmap.SurfaceBitCount(), c.bitCount);

    const ByteSet image = bitmap.ToBmpBytes();
    ASSERT_EQ(image.size(), c.fileSize);
    EXPECT_EQ(U32At(image, 2), c.fileSize);
    EXPECT_EQ(U32At(image, 10), c.offBits);
    const ByteSet* table = c.bitCount == 1   ? &bitmap.ColorTable2()
                           : c.bitCount == 4 ? &bitmap.ColorTable16()
                           : c.bitCount == 8 ? &bitmap.ColorTable256()
                                             : nullptr;
    if (table) {
        EXPECT_EQ(ByteSet(image.begin() + 54, image.begin() + c.offBits), *table);
    }
    EXPECT_EQ(bitmap.PixelBytes(), ByteSet(image.begin() + c.offBits, image.end()));
}

INSTANTIATE_TEST_SUITE_P(
    Depths, RecordLayout,
    testing::Values(LayoutCase{10, 2, 1, 4, 8, 62, 70}, LayoutCase{10, 2, 4, 8, 64, 118, 134},
                    LayoutCase{10, 2, 8, 12, 1024, 1078, 1102}, LayoutCase{3, 2, 16, 8, 0, 54, 70},
                    LayoutCase{3, 1, 24, 12, 0, 54, 66}, LayoutCase{56, 56, 24, 168, 0, 54, 9462},
                    LayoutCase{3, 2, 32, 12, 0, 54, 78}));

TEST(BuildRecord, RefusesOtherDepthsAndImpossibleSizesLeavingTheRecord) {
    BitmapObject bitmap;
    ASSERT_TRUE(bitmap.CreateBlank(2, 2, 8));
    const ByteSet before = bitmap.ToBmpBytes();
    for (auto [w, h, bits] :
         {std::tuple{2, 2, 2}, {2, 2, 15}, {2, 2, 0}, {0, 2, 24}, {2, -2, 24}, {5000, 5000, 24}}) {
        EXPECT_FALSE(bitmap.BuildRecord(w, h, bits)) << w << "x" << h << "@" << bits;
    }
    EXPECT_EQ(bitmap.ToBmpBytes(), before);
}

TEST(CreateBlank, RefusedDepthLeavesTheObjectEmpty) {
    BitmapObject bitmap;
    ASSERT_TRUE(bitmap.CreateBlank(2, 2, 24));
    EXPECT_FALSE(bitmap.CreateBlank(2, 2, 2));
    EXPECT_EQ(bitmap.Width(), 0);
    EXPECT_EQ(bitmap.GetDib(), nullptr);
    EXPECT_EQ(bitmap.SurfaceWidth(), 0);
    EXPECT_EQ(bitmap.ReadPixel(0, 0), gdi::kInvalidColor);
}

TEST(Pixels, WriteShowsInTheRecordRowCountedFromTheBottom) {
    BitmapObject bitmap;
    ASSERT_TRUE(bitmap.CreateBlank(3, 4, 24));
    ASSERT_TRUE(bitmap.WritePixel(2, 1, MakeColor(0x11, 0x22, 0x33)));
    EXPECT_TRUE(bitmap.IsDirty());
    const ByteSet image = bitmap.ToBmpBytes();
    EXPECT_FALSE(bitmap.IsDirty());
    const std::size_t at = 54 + (4 - 1 - 1) * 12 + 2 * 3;
    EXPECT_EQ(ByteSet(image.begin() + at, image.begin() + at + 3), (ByteSet{0x33, 0x22, 0x11}));
    EXPECT_EQ(bitmap.ReadPixel(2, 1), MakeColor(0x11, 0x22, 0x33));
}

TEST(Pixels, OutsideReadsInvalidAndWritingClearsDirty) {
    BitmapObject bitmap;
    ASSERT_TRUE(bitmap.CreateBlank(3, 4, 24));
    for (auto [x, y] : {std::pair{-1, 0}, {3, 0}, {0, 4}, {0, -1}}) {
        EXPECT_EQ(bitmap.ReadPixel(x, y), 0xFFFFFFFFu);
        ASSERT_TRUE(bitmap.WritePixel(0, 0, MakeColor(1, 2, 3)));
        EXPECT_FALSE(bitmap.WritePixel(x, y, MakeColor(1, 2, 3)));
        EXPECT_FALSE(bitmap.IsDirty());
    }
    BitmapObject empty;
    EXPECT_EQ(empty.ReadPixel(0, 0), 0xFFFFFFFFu);
    EXPECT_FALSE(empty.WritePixel(0, 0, 0));
}

TEST(Pixels, RecordFollowsTheSurfaceOnlyWhenRefreshed) {
    BitmapObject bitmap;
    ASSERT_TRUE(bitmap.CreateBlank(1, 1, 32));
    ASSERT_TRUE(bitmap.WritePixel(0, 0, MakeColor(9, 8, 7)));
    EXPECT_EQ(bitmap.PixelAddress()[2], 0) << "not yet copied";
    bitmap.RefreshRecord();
    EXPECT_EQ(bitmap.PixelAddress()[2], 9);
    EXPECT_TRUE(bitmap.IsDirty()) << "a refresh leaves Dirty alone";
    EXPECT_EQ(bitmap.PixelBytes(), (ByteSet{7, 8, 9, 0}));
    EXPECT_FALSE(bitmap.IsDirty());
}

TEST(LoadFromHandle, CopiesAtTheAskedDepthAndLeavesTheBitmap) {
    const gdi::BitmapHandle source = gdi::Bitmap::CreateCompatible(2, 1);
    source->SetPixel(0, 0, MakeColor(250, 250, 250));
    source->SetPixel(1, 0, MakeColor(130, 125, 128));
    BitmapObject bitmap;
    ASSERT_TRUE(bitmap.LoadFromHandle(source, 8));
    EXPECT_EQ(bitmap.BitCount(), 8);
    EXPECT_EQ(bitmap.PixelBytes(), (ByteSet{255, 164, 0, 0})) << "nearest entries, lowest first";
    ASSERT_TRUE(bitmap.LoadFromHandle(source));
    EXPECT_EQ(bitmap.BitCount(), 32);
    EXPECT_EQ(bitmap.ReadPixel(1, 0), MakeColor(130, 125, 128));
    EXPECT_EQ(source->GetPixel(1, 0), MakeColor(130, 125, 128));
}

TEST(LoadFromHandle, RefusesNoBitmapOrOneInUseAndEndsEmpty) {
    BitmapObject bitmap;
    ASSERT_TRUE(bitmap.CreateBlank(2, 2, 24));
    EXPECT_FALSE(bitmap.LoadFromHandle(nullptr));
    EXPECT_EQ(bitmap.Width(), 0);

    const gdi::BitmapHandle inUse = gdi::Bitmap::CreateCompatible(2, 2);
    auto context = gdi::DeviceContext::Screen()->CreateCompatible();
    context->Select(inUse);
    ASSERT_TRUE(bitmap.CreateBlank(2, 2, 24));
    EXPECT_FALSE(bitmap.LoadFromHandle(inUse));
    EXPECT_EQ(bitmap.Width(), 0);
    EXPECT_FALSE(bitmap.LoadFromHandle(gdi::Bitmap::CreateCompatible(2, 2), 7));
    EXPECT_EQ(bitmap.Width(), 0);
}

class LoadTest : public testing::Test {
protected:
    TempFolder temp_;
    ScopedEnv tmpdir_{"TMPDIR", temp_.path().string()};
};

TEST_F(LoadTest, BytesOfABmpLoadAtTheDisplayDepth) {
    BitmapObject bitmap;
    const ByteSet file = Bmp24(3, 2, [](int x, int y) { return MakeColor(x * 50, y * 100, 7); });
    ASSERT_TRUE(bitmap.LoadFromBytes(file));
    EXPECT_EQ(bitmap.Width(), 3);
    EXPECT_EQ(bitmap.Height(), 2);
    EXPECT_EQ(bitmap.BitCount(), 32);
    EXPECT_EQ(bitmap.ReadPixel(2, 1), MakeColor(100, 100, 7));
    EXPECT_EQ(bitmap.ReadPixel(0, 0), MakeColor(0, 0, 7));
    EXPECT_TRUE(temp_.Names().empty());
}

TEST_F(LoadTest, BytesThatAreNotABmpLeaveTheObjectEmpty) {
    BitmapObject bitmap;
    ASSERT_TRUE(bitmap.CreateBlank(4, 4, 24));
    for (const ByteSet& bytes : {ByteSet{}, ByteSet{'B', 'M'}, ByteSet(100, 0xAB)}) {
        EXPECT_FALSE(bitmap.LoadFromBytes(bytes));
        EXPECT_EQ(bitmap.Width(), 0);
        EXPECT_EQ(bitmap.Height(), 0);
        EXPECT_TRUE(temp_.Names().empty());
    }
}

TEST_F(LoadTest, UnwritableTemporaryFolderFailsTheLoad) {
    ScopedEnv elsewhere("TMPDIR", (temp_.path() / "missing").string());
    BitmapObject bitmap;
    EXPECT_FALSE(bitmap.LoadFromBytes(Bmp24(1, 1, [](int, int) { return 0u; })));
    EXPECT_EQ(bitmap.Width(), 0);
}

TEST_F(LoadTest, FileOnDiskByGbkPath) {
    const std::string utf8 = (temp_.path() / "头像.bmp").string();
    const ByteSet file = Bmp24(2, 2, [](int x, int) { return MakeColor(x * 200, 0, 0); });
    std::FILE* out = std::fopen(utf8.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fwrite(file.data(), 1, file.size(), out);
    std::fclose(out);
    BitmapObject bitmap;
    ASSERT_TRUE(bitmap.LoadFromFile(codepage::GbkFromUtf8(utf8)));
    EXPECT_EQ(bitmap.ReadPixel(1, 1), MakeColor(200, 0, 0));
    EXPECT_FALSE(bitmap.LoadFromFile(codepage::GbkFromUtf8(utf8 + ".missing")));
    EXPECT_EQ(bitmap.Width(), 0);
}

// Loads that overlap in time each get their own file and their own picture.
TEST_F(LoadTest, OverlappingLoadsDoNotShareAFile) {
    constexpr int kThreads = 4;
    constexpr int kRounds = 25;
    std::vector<int> wrong(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &wrong] {
            BitmapObject bitmap;
            const gdi::ColorRef color = MakeColor(t * 60, 255 - t * 60, 1);
            const ByteSet file = Bmp24(16, 16, [&](int, int) { return color; });
            for (int i = 0; i < kRounds; ++i) {
                if (!bitmap.LoadFromBytes(file) || bitmap.ReadPixel(15, 15) != color) ++wrong[t];
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(wrong[t], 0) << "thread " << t;
    EXPECT_TRUE(temp_.Names().empty());
}

TEST(TempFileTest, ExclusiveOwnerOnlyUniqueAndGoneAfterwards) {
    TempFolder folder;
    const std::string prefix = "新位图操作类_载入位图";
    std::string firstPath;
    {
        imaging::TempFile first(folder.path().string() + "/", prefix, ".bmp");
        imaging::TempFile second(folder.path().string() + "/", prefix, ".bmp");
        ASSERT_TRUE(first.IsOpen());
        ASSERT_TRUE(second.IsOpen());
        EXPECT_NE(first.Path(), second.Path());
        firstPath = first.Path();
        const std::string name = std::filesystem::path(firstPath).filename().string();
        EXPECT_EQ(name.rfind(prefix, 0), 0u) << name;
        EXPECT_EQ(name.substr(name.size() - 4), ".bmp");
        EXPECT_EQ(name.size(), prefix.size() + 6 + 4);
        struct stat info {};
        ASSERT_EQ(::stat(firstPath.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0600u);
        EXPECT_TRUE(first.WriteAll("abc", 3));
        EXPECT_EQ(std::filesystem::file_size(firstPath), 3u);
    }
    EXPECT_FALSE(std::filesystem::exists(firstPath));
    EXPECT_TRUE(folder.Names().empty());

    imaging::TempFile nowhere((folder.path() / "missing").string() + "/", prefix, ".bmp");
    EXPECT_FALSE(nowhere.IsOpen());
    EXPECT_TRUE(nowhere.Path().empty());
    EXPECT_FALSE(nowhere.WriteAll("abc", 3));
}

}  // namespace
