#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "imaging/BitmapObject.h"
#include "tests/capture/Pictures.h"

// Where there is no X display and no application object, the capture calls answer false.
namespace {

using capturetest::IsEmpty;
using imaging::BitmapObject;

class NoDisplay : public testing::Test {
protected:
    void SetUp() override {
        if (const char* display = std::getenv("DISPLAY")) saved_ = display;
        // An empty name is no display at all, whatever the machine runs.
        setenv("DISPLAY", "", 1);
    }
    void TearDown() override {
        if (saved_) {
            setenv("DISPLAY", saved_->c_str(), 1);
        } else {
            unsetenv("DISPLAY");
        }
    }

private:
    std::optional<std::string> saved_;
};

TEST_F(NoDisplay, ScreenAndWindowCapturesFailEmpty) {
    BitmapObject bitmap;
    ASSERT_TRUE(bitmap.CreateBlank(2, 2, 24));
    EXPECT_FALSE(bitmap.CaptureScreen(0, 0));
    EXPECT_TRUE(IsEmpty(bitmap));
    ASSERT_TRUE(bitmap.CreateBlank(2, 2, 24));
    EXPECT_FALSE(bitmap.CaptureWindow(1, 0, 0));
    EXPECT_TRUE(IsEmpty(bitmap));
}

TEST_F(NoDisplay, PaintingFailsAndKeepsThePicture) {
    BitmapObject bitmap;
    ASSERT_TRUE(bitmap.CreateBlank(2, 2, 24));
    EXPECT_FALSE(bitmap.PaintToWindow(1));
    EXPECT_EQ(bitmap.Width(), 2);
}

TEST(NoApplication, ClipboardCallsFail) {
    BitmapObject bitmap;
    ASSERT_TRUE(bitmap.CreateBlank(2, 2, 24));
    EXPECT_FALSE(bitmap.CopyToClipboard());
    EXPECT_FALSE(bitmap.LoadFromClipboard());
    EXPECT_TRUE(IsEmpty(bitmap));
}

}  // namespace
