#include <gtest/gtest.h>

#include <QImage>

#include "automation/Automation.h"
#include "platform/com/Apartment.h"
#include "platform/gdi/BmpReader.h"
#include "tests/imaging/ImageFiles.h"

using automation::CallMethod;
using automation::GetProperty;
using automation::ObjectRef;

namespace {

class PictureObjectTest : public testing::Test {
protected:
    void SetUp() override {
        ComInitialize();
        picture_ = automation::CreateObject(Text("StdPicture"));
        ASSERT_FALSE(picture_.IsEmpty());
    }
    void TearDown() override {
        picture_.Release();
        ComUninitialize();
    }

    ObjectRef picture_;
};

TEST_F(PictureObjectTest, SavesADecodedPictureAsABmpFile) {
    QImage image(3, 2, QImage::Format_ARGB32);
    image.fill(qRgb(1, 2, 3));
    image.setPixel(2, 1, qRgb(200, 100, 50));
    EXPECT_EQ(GetProperty<int>(picture_, "Type"), 0);
    EXPECT_TRUE(CallMethod<bool>(picture_, "Load", {imagefiles::Save(image, "PNG")}));
    EXPECT_EQ(GetProperty<int>(picture_, "Type"), 1);

    const ByteSet bmp = CallMethod<ByteSet>(picture_, "SaveAsFile");
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ(bmp[28], 24) << "bits per pixel";
    const gdi::BitmapHandle bitmap = gdi::DecodeBmp(bmp);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->Width(), 3);
    EXPECT_EQ(bitmap->Height(), 2);
    EXPECT_EQ(bitmap->GetPixel(0, 0), gdi::MakeColor(1, 2, 3));
    EXPECT_EQ(bitmap->GetPixel(2, 1), gdi::MakeColor(200, 100, 50));
}

TEST_F(PictureObjectTest, FailedLoadDropsTheOldPicture) {
    ASSERT_TRUE(CallMethod<bool>(picture_, "Load", {imagefiles::Gif1x1(9, 9, 9)}));
    EXPECT_FALSE(CallMethod<bool>(picture_, "Load", {ByteSet{1, 2, 3}}));
    EXPECT_EQ(GetProperty<int>(picture_, "Type"), 0);
    EXPECT_TRUE(CallMethod<ByteSet>(picture_, "SaveAsFile").empty());
}

TEST_F(PictureObjectTest, UnusableCallsFail) {
    EXPECT_FALSE(automation::Invoke(picture_, "Load", com::InvokeKind::Method, {}).has_value());
    EXPECT_FALSE(
        automation::Invoke(picture_, "Load", com::InvokeKind::Method, {Text("abc")}).has_value());
    EXPECT_FALSE(automation::Invoke(picture_, "Render", com::InvokeKind::Method, {}).has_value());
}

}  // namespace
