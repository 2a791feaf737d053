#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "imaging/BitmapObject.h"
#include "imaging/ScalePicture.h"
#include "platform/codepage/CodePage.h"
#include "platform/gdi/BmpReader.h"

namespace {

// A 640 x 640 photo-like JPEG: smooth gradients with some texture.
ByteSet Jpeg640() {
    QImage image(640, 640, QImage::Format_RGB32);
    for (int y = 0; y < 640; ++y) {
        for (int x = 0; x < 640; ++x) {
            image.setPixel(x, y, qRgb((x * 255) / 640, (y * 255) / 640, ((x ^ y) * 7) & 0xFF));
        }
    }
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "JPEG");
    writer.setQuality(85);
    writer.write(image);
    return ByteSet(out.begin(), out.end());
}

void ScalePicture640(benchmark::State& state) {
    const ByteSet jpeg = Jpeg640();
    const bool average = state.range(0) != 0;
    for (auto _ : state) {
        ByteSet bmp =
            imaging::ScalePicture({.image = jpeg, .width = 56, .height = 56, .average = average});
        benchmark::DoNotOptimize(bmp);
        if (bmp.size() != 9462) state.SkipWithError("not a 56 x 56 picture");
    }
    state.SetLabel(average ? "average" : "nearest");
}
BENCHMARK(ScalePicture640)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A 4000 x 3000 24-bit BMP file in the temporary folder, removed at the end.
class LargeBmpFile {
public:
    LargeBmpFile() {
        imaging::BitmapObject bitmap;
        bitmap.CreateBlank(4000, 3000, 24);
        for (int y = 0; y < 3000; y += 7) {
            for (int x = 0; x < 4000; x += 5) bitmap.WritePixel(x, y, 0x00336699);
        }
        bytes_ = bitmap.ToBmpBytes();
        path_ = "/tmp/imaging-bench-" + std::to_string(::getpid()) + ".bmp";
        std::FILE* out = std::fopen(path_.c_str(), "wb");
        if (out) {
            std::fwrite(bytes_.data(), 1, bytes_.size(), out);
            std::fclose(out);
        }
    }
    ~LargeBmpFile() { std::remove(path_.c_str()); }
    const std::string& path() const { return path_; }
    const ByteSet& bytes() const { return bytes_; }

private:
    std::string path_;
    ByteSet bytes_;
};

void ReadBmpFile4000x3000(benchmark::State& state) {
    const LargeBmpFile file;
    for (auto _ : state) {
        gdi::BitmapHandle bitmap = gdi::LoadBmpFile(file.path());
        if (!bitmap) state.SkipWithError("not read");
        benchmark::DoNotOptimize(bitmap);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(file.bytes().size()));
}
BENCHMARK(ReadBmpFile4000x3000)->Unit(benchmark::kMillisecond);

void DecodeBmp4000x3000(benchmark::State& state) {
    const LargeBmpFile file;
    for (auto _ : state) {
        gdi::BitmapHandle bitmap = gdi::DecodeBmp(file.bytes());
        benchmark::DoNotOptimize(bitmap);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(file.bytes().size()));
}
BENCHMARK(DecodeBmp4000x3000)->Unit(benchmark::kMillisecond);

// The whole object load: file to display-format bitmap to DIB section and record.
void BitmapObjectLoadFromFile4000x3000(benchmark::State& state) {
    const LargeBmpFile file;
    const Text path = codepage::GbkFromUtf8(file.path());
    imaging::BitmapObject bitmap;
    for (auto _ : state) {
        if (!bitmap.LoadFromFile(path)) state.SkipWithError("not loaded");
    }
}
BENCHMARK(BitmapObjectLoadFromFile4000x3000)->Unit(benchmark::kMillisecond);

}  // namespace
