#pragma once

#include <QImage>

#include "platform/com/Dispatch.h"

namespace com {

// The picture object ("StdPicture"): decodes the bytes of an image file with Qt's image readers
// (JPEG, PNG, GIF, BMP, WebP, and whatever other format plug-ins are installed) and gives the
// picture back as the bytes of a BMP file. Members:
//   Load(bytes) -> bool     decodes; on failure the object holds no picture
//   SaveAsFile() -> bytes   a 24-bit BMP file of the picture; empty bytes when there is none
//   Type -> number          1 while it holds a picture, 0 otherwise
// Pictures that declare more pixels than platform/gdi/Limits.h allows are refused before they
// are decoded, and Qt's allocation limit stops any decoder at 64 MB, so a small file declaring a
// huge picture fails without allocating it. Alpha is dropped: a transparent pixel shows the colour
// stored under it. Belongs to the thread that made it.
class PictureObject : public Dispatch {
public:
    std::optional<Variant> Invoke(std::string_view member, InvokeKind kind,
                                  std::span<const Variant> args) override;

private:
    bool Load(const ByteSet& bytes);
    ByteSet SaveAsFile() const;

    QImage picture_;
};

// Registers "StdPicture".
void RegisterPictureComponent();

}  // namespace com
