// The windowing operations on the real main window, called on the window's thread: GBK at the
// edge, the list, the picture box, the status bar, the clipboard and unknown names.

#include <gtest/gtest.h>
#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include "platform/codepage/CodePage.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/ReportList.h"
#include "text/core/TextOps.h"

namespace {

constexpr const char* kSongs = "超级列表框1";

class WindowOpsTest : public testing::Test {
protected:
    void SetUp() override {
        window_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
    }

    template <typename Widget>
    Widget* Control(const char* name) {
        return window_.findChild<Widget*>(QString::fromUtf8(name));
    }

    ui::MainWindow window_;
    ui::WindowOps& ops_ = window_.Ops();
};

ByteSet BmpFile(QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return ByteSet(bytes.begin(), bytes.end());
}

TEST_F(WindowOpsTest, EditBoxesTakeAndGiveGbk) {
    ops_.SetEditText("编辑框1_用户名称", "演示用户"_gbk);
    EXPECT_EQ(Control<QLineEdit>("编辑框1_用户名称")->text(), QStringLiteral("演示用户"));
    EXPECT_EQ(ops_.EditText("编辑框1_用户名称"), "演示用户"_gbk);

    // What the operator types comes back as GBK bytes.
    auto* uid = Control<QLineEdit>("编辑框1_uid");
    QTest::keyClicks(uid, QStringLiteral("6a9c2e14b7d0f358"));
    EXPECT_EQ(ops_.EditText("编辑框1_uid"), Text("6a9c2e14b7d0f358"));
    uid->setText(QStringLiteral("  全角　"));
    EXPECT_EQ(ops_.EditText("编辑框1_uid"), codepage::GbkFromUtf8("  全角　"));

    EXPECT_EQ(ops_.EditText("编辑框1"), Text("*"));
    ops_.SetEditText("编辑框1", Text());
    EXPECT_EQ(ops_.EditText("编辑框1"), Text());
}

TEST_F(WindowOpsTest, SongListRowsAreAppendedReadAndSelected) {
    auto* songs = Control<ui::ReportList>(kSongs);
    EXPECT_EQ(ops_.RowCount(kSongs), 0);
    EXPECT_EQ(ops_.SelectedRowCount(kSongs), 0);
    EXPECT_EQ(ops_.FirstSelectedRow(kSongs), -1);

    for (int expected = 0; expected < 3; ++expected) {
        const int row = ops_.AppendRow(kSongs);
        ASSERT_EQ(row, expected);
        ops_.SetCellText(kSongs, row, 0, text::FromInt(row + 1));
        ops_.SetCellText(kSongs, row, 1, "歌曲"_gbk + text::FromInt(row + 1));
        ops_.SetCellText(kSongs, row, 3, "等待下载"_gbk);
    }
    EXPECT_EQ(ops_.RowCount(kSongs), 3);
    EXPECT_EQ(ops_.CellText(kSongs, 2, 1), "歌曲3"_gbk);
    EXPECT_EQ(songs->item(2, 1)->text(), QStringLiteral("歌曲3"));
    EXPECT_EQ(ops_.CellText(kSongs, 1, 2), Text());  // never written

    ops_.SetCellText(kSongs, 1, 3, "下载完成"_gbk);
    EXPECT_EQ(ops_.CellText(kSongs, 1, 3), "下载完成"_gbk);

    // Cells outside the list are ignored and read as empty.
    for (auto [row, column] : {std::pair{-1, 0}, {3, 0}, {0, -1}, {0, 4}}) {
        ops_.SetCellText(kSongs, row, column, "x"_gbk);
        EXPECT_EQ(ops_.CellText(kSongs, row, column), Text());
    }
    EXPECT_EQ(ops_.RowCount(kSongs), 3);

    songs->selectRow(1);
    EXPECT_EQ(ops_.SelectedRowCount(kSongs), 1);
    EXPECT_EQ(ops_.FirstSelectedRow(kSongs), 1);
    songs->selectRow(2);  // one row at a time
    EXPECT_EQ(ops_.SelectedRowCount(kSongs), 1);
    EXPECT_EQ(ops_.FirstSelectedRow(kSongs), 2);
    songs->clearSelection();
    EXPECT_EQ(ops_.FirstSelectedRow(kSongs), -1);
}

TEST_F(WindowOpsTest, ScrollingBringsTheLastRowIntoView) {
    auto* songs = Control<ui::ReportList>(kSongs);
    for (int i = 0; i < 60; ++i) ops_.AppendRow(kSongs);
    const auto visible = [&](int row) {
        return songs->viewport()->rect().contains(songs->visualItemRect(songs->item(row, 0)));
    };
    ASSERT_FALSE(visible(59));
    ops_.ScrollRowIntoView(kSongs, 59);
    EXPECT_TRUE(visible(59));
    ops_.ScrollRowIntoView(kSongs, 60);  // past the end: nothing moves
    ops_.ScrollRowIntoView(kSongs, -1);
    EXPECT_TRUE(visible(59));
}

TEST_F(WindowOpsTest, PictureBoxShowsABmpAndClearsOnAnythingElse) {
    auto* box = Control<QLabel>("图片框1");
    ops_.SetPicture("图片框1", BmpFile({56, 56}, Qt::red));
    ASSERT_FALSE(box->pixmap().isNull());
    EXPECT_EQ(box->pixmap().size(), QSize(56, 56));
    EXPECT_EQ(box->pixmap().toImage().pixelColor(20, 20), QColor(Qt::red));

    struct Case {
        const char* what;
        ByteSet bytes;
    };
    ByteSet truncated = BmpFile({56, 56}, Qt::blue);
    truncated.resize(40);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImage(8, 8, QImage::Format_RGB32).save(&buffer, "PNG");
    for (const Case& c : {Case{"empty", {}}, Case{"not a picture", ToBytes(Text("hello"))},
                          Case{"cut short", truncated},
                          Case{"a PNG, not a BMP", ByteSet(png.begin(), png.end())}}) {
        SCOPED_TRACE(c.what);
        ops_.SetPicture("图片框1", BmpFile({56, 56}, Qt::red));
        ops_.SetPicture("图片框1", c.bytes);
        EXPECT_TRUE(box->pixmap().isNull());
    }
}

TEST_F(WindowOpsTest, StatusBarButtonsAndClipboard) {
    ops_.SetStatusText("状态条1", "第1页，解析完成"_gbk);
    EXPECT_EQ(Control<QStatusBar>("状态条1")->currentMessage(), QStringLiteral("第1页，解析完成"));

    ops_.SetEnabled("按钮1_解析歌曲", false);
    EXPECT_FALSE(Control<QPushButton>("按钮1_解析歌曲")->isEnabled());
    ops_.SetEnabled("按钮1_解析歌曲", true);
    EXPECT_TRUE(Control<QPushButton>("按钮1_解析歌曲")->isEnabled());

    ops_.SetClipboardText("https://media.example/歌.m4a"_gbk);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("https://media.example/歌.m4a"));
}

TEST_F(WindowOpsTest, UnknownOrMismatchedNamesDoNothingAndReadEmpty) {
    // "按钮1" is a button, not an edit box or a list; "无此控件" does not exist.
    for (const char* name : {"无此控件", "按钮1", ""}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ops_.EditText(name), Text());
        ops_.SetEditText(name, "x"_gbk);
        ops_.SetPicture(name, BmpFile({4, 4}, Qt::red));
        EXPECT_EQ(ops_.AppendRow(name), -1);
        ops_.SetCellText(name, 0, 0, "x"_gbk);
        EXPECT_EQ(ops_.CellText(name, 0, 0), Text());
        EXPECT_EQ(ops_.RowCount(name), 0);
        ops_.ScrollRowIntoView(name, 0);
        EXPECT_EQ(ops_.SelectedRowCount(name), 0);
        EXPECT_EQ(ops_.FirstSelectedRow(name), -1);
        ops_.SetStatusText(name, "x"_gbk);
        ops_.PopupMenu(name);
    }
    EXPECT_EQ(Control<QPushButton>("按钮1")->text(), QStringLiteral("如何获取UID"));
    EXPECT_EQ(ops_.RowCount(kSongs), 0);
}

}  // namespace
