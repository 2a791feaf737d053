#include <gtest/gtest.h>

#include <future>
#include <thread>
#include <vector>

#include <QBuffer>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QEventLoop>
#include <QImage>
#include <QTimer>

#include "imaging/BitmapObject.h"
#include "tests/capture/Pictures.h"
#include "tests/capture/XTestClient.h"

// The clipboard, through the application object these tests make on the X server of the test
// command, and through other X clients standing for other programs.
namespace {

using capturetest::Gradient;
using capturetest::IsEmpty;
using capturetest::PictureIs;
using imaging::BitmapObject;

class QtApplication : public testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "capture_tests";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QGuiApplication>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QGuiApplication> app_;
};

const testing::Environment* const kQt = testing::AddGlobalTestEnvironment(new QtApplication);

// Runs `work` on another thread while this one serves the application's events (among them the
// clipboard requests of other programs), and returns its result.
template <typename Work>
auto WhileServing(Work work) {
    std::packaged_task<decltype(work())()> task(std::move(work));
    auto result = task.get_future();
    std::thread thread(std::move(task));
    while (result.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    thread.join();
    return result.get();
}

// Runs the application's event loop, as a running program does, until it has seen the clipboard
// change hands (at most ten seconds). Qt claims the clipboard with the time of the last event it
// handled, so it must have seen another program's claim before it can make one of its own.
bool SeeClipboardChange() {
    QEventLoop loop;
    bool changed = false;
    QObject::connect(QGuiApplication::clipboard(), &QClipboard::changed, &loop, [&] {
        changed = true;
        loop.quit();
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    return changed;
}

QImage GradientImage(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const gdi::ColorRef c = Gradient(x, y);
            image.setPixel(x, y, qRgb(gdi::RedOf(c), gdi::GreenOf(c), gdi::BlueOf(c)));
        }
    }
    return image;
}

TEST(Clipboard, CopiedPictureLoadsBackWithTheSamePixels) {
    BitmapObject picture;
    capturetest::Paint(picture, 40, 30, 24, Gradient);
    ASSERT_TRUE(picture.CopyToClipboard());

    BitmapObject loaded;
    ASSERT_TRUE(loaded.LoadFromClipboard(24));
    EXPECT_EQ(loaded.BitCount(), 24);
    EXPECT_EQ(loaded.ToBmpBytes(), picture.ToBmpBytes());
    // Without a depth: the clipboard picture's own, that of the display.
    ASSERT_TRUE(loaded.LoadFromClipboard());
    EXPECT_EQ(loaded.BitCount(), 32);
    EXPECT_TRUE(PictureIs(loaded, 40, 30, Gradient));
}

TEST(Clipboard, AnotherProgramReadsTheCopiedPicture) {
    BitmapObject picture;
    capturetest::Paint(picture, 40, 30, 32, Gradient);
    ASSERT_TRUE(picture.CopyToClipboard());
    const std::vector<std::uint8_t> png =
        WhileServing([] { return capturetest::ReadClipboard("image/png", 10000); });
    ASSERT_FALSE(png.empty());
    const QImage image = QImage::fromData(png.data(), static_cast<int>(png.size()), "PNG");
    ASSERT_EQ(image.size(), QSize(40, 30));
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) {
            const QRgb p = image.pixel(x, y);
            ASSERT_EQ(gdi::MakeColor(qRed(p), qGreen(p), qBlue(p)), Gradient(x, y))
                << x << ", " << y;
        }
    }
}

TEST(Clipboard, PictureOfAnotherProgramLoads) {
    QByteArray png;
    QBuffer buffer(&png);
    ASSERT_TRUE(GradientImage(33, 21).save(&buffer, "PNG"));
    capturetest::ClipboardOwner owner("image/png",
                                      std::vector<std::uint8_t>(png.begin(), png.end()));
    ASSERT_TRUE(owner.Owning());
    ASSERT_TRUE(SeeClipboardChange());
    BitmapObject loaded;
    ASSERT_TRUE(loaded.LoadFromClipboard(24));
    EXPECT_TRUE(PictureIs(loaded, 33, 21, Gradient));
}

TEST(Clipboard, NoPictureNoLoad) {
    QGuiApplication::clipboard()->setText("not a picture");
    BitmapObject bitmap;
    ASSERT_TRUE(bitmap.CreateBlank(2, 2, 24));
    EXPECT_FALSE(bitmap.LoadFromClipboard());
    EXPECT_TRUE(IsEmpty(bitmap));
    BitmapObject empty;
    EXPECT_FALSE(empty.CopyToClipboard());
}

TEST(Clipboard, OnlyTheApplicationsThreadReachesIt) {
    BitmapObject picture;
    capturetest::Paint(picture, 4, 4, 24, Gradient);
    ASSERT_TRUE(picture.CopyToClipboard());
    std::thread([&] {
        BitmapObject other;
        EXPECT_FALSE(other.LoadFromClipboard());
        EXPECT_FALSE(picture.CopyToClipboard());
    }).join();
}

}  // namespace
