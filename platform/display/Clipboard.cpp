#include "platform/display/Clipboard.h"

#include <cstdint>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QThread>

#include "platform/gdi/Limits.h"

namespace display {
namespace {

// The clipboard, when this thread may use it.
QClipboard* Clipboard() {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (app == nullptr || QThread::currentThread() != app->thread()) return nullptr;
    return QGuiApplication::clipboard();
}

}  // namespace

bool SetClipboardBitmap(const gdi::Bitmap& picture) {
    QClipboard* clipboard = Clipboard();
    if (clipboard == nullptr) return false;
    QImage image(picture.Width(), picture.Height(), QImage::Format_RGB32);
    if (image.isNull()) return false;
    for (int y = 0; y < picture.Height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < picture.Width(); ++x) {
            const gdi::ColorRef c = picture.GetPixel(x, y);
            row[x] = qRgb(gdi::RedOf(c), gdi::GreenOf(c), gdi::BlueOf(c));
        }
    }
    clipboard->setImage(image);
    const QMimeData* data = clipboard->mimeData();
    return data != nullptr && data->hasImage();
}

gdi::BitmapHandle ClipboardBitmap() {
    QClipboard* clipboard = Clipboard();
    if (clipboard == nullptr) return nullptr;
    const QImage image = clipboard->image().convertToFormat(QImage::Format_RGB32);
    if (image.isNull() || !gdi::SizeAllowed(image.width(), image.height())) return nullptr;
    gdi::BitmapHandle bitmap = gdi::Bitmap::CreateCompatible(image.width(), image.height());
    if (!bitmap) return nullptr;
    // A compatible bitmap's rows are top first, each pixel blue, green, red, 0.
    for (int y = 0; y < image.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        std::uint8_t* out = bitmap->Bits().data() + static_cast<std::size_t>(y) * bitmap->Stride();
        for (int x = 0; x < image.width(); ++x, out += 4) {
            out[0] = static_cast<std::uint8_t>(qBlue(in[x]));
            out[1] = static_cast<std::uint8_t>(qGreen(in[x]));
            out[2] = static_cast<std::uint8_t>(qRed(in[x]));
            out[3] = 0;
        }
    }
    return bitmap;
}

}  // namespace display
