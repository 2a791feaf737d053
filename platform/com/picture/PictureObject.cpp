#include "platform/com/picture/PictureObject.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QImageWriter>

#include "platform/com/ComponentRegistry.h"
#include "platform/gdi/Limits.h"

namespace com {
namespace {

// Qt counts its allocation limit in megabytes of decoded image: the pixel limit at 32 bits.
constexpr int kAllocationLimitMb = static_cast<int>(gdi::kMaxPixels * 4 / (1024 * 1024));

}  // namespace

bool PictureObject::Load(const ByteSet& bytes) {
    picture_ = QImage();
    if (bytes.empty()) return false;
    QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    if (!buffer.open(QIODevice::ReadOnly)) return false;
    QImageReader reader(&buffer);
    reader.setAllocationLimit(kAllocationLimitMb);
    const QSize declared = reader.size();
    if (declared.isValid() && !gdi::SizeAllowed(declared.width(), declared.height())) return false;
    QImage image;
    if (!reader.read(&image) || image.isNull()) return false;
    if (!gdi::SizeAllowed(image.width(), image.height())) return false;
    picture_ = image.convertToFormat(QImage::Format_RGB32);
    return !picture_.isNull();
}

ByteSet PictureObject::SaveAsFile() const {
    if (picture_.isNull()) return {};
    QByteArray out;
    QBuffer buffer(&out);
    if (!buffer.open(QIODevice::WriteOnly)) return {};
    QImageWriter writer(&buffer, "BMP");
    if (!writer.write(picture_)) return {};
    return ByteSet(out.begin(), out.end());
}

std::optional<Variant> PictureObject::Invoke(std::string_view member, InvokeKind kind,
                                             std::span<const Variant> args) {
    try {
        if (IsMember(member, "Load") && kind == InvokeKind::Method) {
            if (args.size() != 1 || !std::holds_alternative<ByteSet>(args[0])) return std::nullopt;
            return Variant{Load(std::get<ByteSet>(args[0]))};
        }
        if (IsMember(member, "SaveAsFile") && kind == InvokeKind::Method && args.empty()) {
            return Variant{SaveAsFile()};
        }
        if (IsMember(member, "Type") && kind == InvokeKind::PropertyGet && args.empty()) {
            return Variant{picture_.isNull() ? 0.0 : 1.0};
        }
    } catch (const std::exception&) {
        picture_ = QImage();
    }
    return std::nullopt;
}

void RegisterPictureComponent() {
    RegisterComponent("StdPicture", [] { return std::make_shared<PictureObject>(); });
}

}  // namespace com
