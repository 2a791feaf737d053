#include "imaging/ScalePicture.h"

#include "automation/Automation.h"
#include "imaging/BitmapObject.h"
#include "imaging/ImageScaler.h"
#include "platform/com/Apartment.h"

namespace imaging {

ByteSet ScalePicture(const ScalePictureArgs& args) {
    BitmapObject bitmap;
    const ImageScaler scaler;
    ColorList source;
    ColorList target;

    ComInitialize();
    {
        // The picture object decodes the bytes and hands the picture back as a BMP file. It is
        // released before the apartment is left.
        automation::ObjectRef picture = automation::CreateObject(Text("StdPicture"));
        automation::CallMethod(picture, "Load", {ByteSet(args.image.begin(), args.image.end())});
        ByteSet bmp = automation::CallMethod<ByteSet>(picture, "SaveAsFile");
        picture.Release();
        bitmap.LoadFromBytes(bmp);
    }
    ComUninitialize();

    scaler.ReadPixels(bitmap, &source);
    const int sw = bitmap.Width();
    const int sh = bitmap.Height();
    if (args.average.value_or(false)) {
        scaler.ResampleAverage(source, sw, sh, args.width, args.height, &target);
    } else {
        scaler.ResampleNearest(source, sw, sh, args.width, args.height, &target);
    }
    bitmap.CreateBlank(1, 1, 24);
    if (!scaler.WritePixels(bitmap, target, args.width, args.height)) {
        // A size the bitmap refuses may have emptied it: the answer is still one black pixel.
        if (bitmap.Width() == 0) bitmap.CreateBlank(1, 1, 24);
    }
    return bitmap.ToBmpBytes();
}

}  // namespace imaging
