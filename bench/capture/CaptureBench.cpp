#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/BitmapObject.h"
#include "platform/display/PixelFormat.h"
#include "platform/gdi/Bitmap.h"

// The costs of the bitmap object's exchanges at screen size (1024 x 768). The screen capture
// needs an X display (run it with DISPLAY set, for example through tests/capture/with-xvfb.sh);
// without one it reports an error and the others still run.
namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

gdi::ColorRef Texture(int x, int y) {
    return gdi::MakeColor(static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
                          static_cast<std::uint8_t>(x ^ y));
}

gdi::BitmapHandle ScreenSizedPicture() {
    gdi::BitmapHandle bitmap = gdi::Bitmap::CreateCompatible(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) bitmap->SetPixel(x, y, Texture(x, y));
    }
    return bitmap;
}

// What the server sends for a 24-bit screen, and for a 16-bit one, turned into a bitmap.
void ReadXImage(benchmark::State& state) {
    const display::PixelFormat format =
        state.range(0) == 32
            ? display::PixelFormat{}
            : display::PixelFormat{
                  .bitsPerPixel = 16, .redMask = 0xF800, .greenMask = 0x07E0, .blueMask = 0x001F};
    const std::vector<std::uint8_t> image =
        display::WriteImage(*ScreenSizedPicture(), 0, kHeight, kWidth, format);
    const gdi::BitmapHandle target = gdi::Bitmap::CreateCompatible(kWidth, kHeight);
    for (auto _ : state) {
        if (!display::ReadImage(image, kWidth, kHeight, format, *target, 0, 0)) {
            state.SkipWithError("not read");
        }
        benchmark::DoNotOptimize(target->Bits().data());
    }
    state.SetLabel(state.range(0) == 32 ? "depth 24 in 32 bits" : "RGB 565");
}
BENCHMARK(ReadXImage)->Arg(32)->Arg(16)->Unit(benchmark::kMillisecond);

// A screen-sized picture turned into what the server takes for a 24-bit window.
void WriteXImage(benchmark::State& state) {
    const gdi::BitmapHandle picture = ScreenSizedPicture();
    for (auto _ : state) {
        std::vector<std::uint8_t> image =
            display::WriteImage(*picture, 0, kHeight, kWidth, display::PixelFormat{});
        benchmark::DoNotOptimize(image.data());
    }
}
BENCHMARK(WriteXImage)->Unit(benchmark::kMillisecond);

void ConvertDepth32To24(benchmark::State& state) {
    imaging::BitmapObject bitmap;
    for (auto _ : state) {
        state.PauseTiming();
        bitmap.CreateBlank(kWidth, kHeight, 32);
        state.ResumeTiming();
        if (!bitmap.ConvertDepth(24)) state.SkipWithError("not converted");
    }
}
BENCHMARK(ConvertDepth32To24)->Unit(benchmark::kMillisecond);

void LoadFromBmpImage(benchmark::State& state) {
    imaging::BitmapObject source;
    source.CreateBlank(kWidth, kHeight, 24);
    const ByteSet image = source.ToBmpBytes();
    imaging::BitmapObject bitmap;
    for (auto _ : state) {
        if (!bitmap.LoadFromBmpImage(image)) state.SkipWithError("not loaded");
    }
}
BENCHMARK(LoadFromBmpImage)->Unit(benchmark::kMillisecond);

void CaptureWholeScreen(benchmark::State& state) {
    imaging::BitmapObject bitmap;
    for (auto _ : state) {
        if (!bitmap.CaptureScreen(0, 0)) {
            state.SkipWithError("no X display");
            break;
        }
    }
    state.SetLabel(std::to_string(bitmap.Width()) + " x " + std::to_string(bitmap.Height()) +
                   " at " + std::to_string(bitmap.BitCount()) + " bits");
}
BENCHMARK(CaptureWholeScreen)->Unit(benchmark::kMillisecond);

}  // namespace
