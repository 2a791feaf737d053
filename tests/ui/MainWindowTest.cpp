// The real main window on the offscreen platform: its controls, the song list, the popup menu,
// the help window and the message box.

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include "platform/codepage/CodePage.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/ReportList.h"
#include "platform/ui/UidHelpWindow.h"

namespace {

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        window_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
    }

    template <typename Widget>
    Widget* Control(const char* name) {
        return window_.findChild<Widget*>(QString::fromUtf8(name));
    }
    ui::ReportList* Songs() { return Control<ui::ReportList>("超级列表框1"); }
    QMenu* Menu() { return Control<QMenu>("超级列表框右键菜单"); }

    ui::MainWindow window_;
};

// Runs `inspect` on the modal window that `open` shows, then closes that window.
void WithModal(const std::function<void()>& open, const std::function<void(QWidget*)>& inspect) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        seen = modal != nullptr;
        if (!modal) return;
        inspect(modal);
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        } else {
            modal->close();
        }
    });
    open();
    EXPECT_TRUE(seen) << "no modal window was shown";
}

TEST_F(MainWindowTest, ControlsStandAtTheirPlacesWithTheirTexts) {
    struct Case {
        const char* name;
        QRect geometry;
        const char* text;  // null: the control shows no text
    };
    const std::vector<Case> cases = {
        {"标签2", {26, 8, 80, 32}, "请输入uid:"},
        {"编辑框1_uid", {136, 10, 208, 32}, ""},
        {"按钮1", {360, 8, 80, 32}, "如何获取UID"},
        {"按钮2_查询用户", {472, 8, 80, 32}, "查询用户"},
        {"图片框1", {25, 47, 56, 56}, nullptr},
        {"标签1", {89, 62, 32, 24}, "用户:"},
        {"编辑框1_用户名称", {137, 57, 207, 32}, ""},
        {"按钮1_解析歌曲", {360, 56, 80, 32}, "解析歌曲"},
        {"按钮2_下载", {472, 56, 80, 32}, "下载歌曲"},
        {"标签3", {592, 24, 80, 32}, "下载目录："},
        {"编辑框1", {592, 56, 192, 32}, "*"},
        {"超级列表框1", {16, 104, 760, 296}, nullptr},
        {"状态条1", {0, 379, 794, 20}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QWidget* control = Control<QWidget>(c.name);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->geometry(), c.geometry);
        EXPECT_TRUE(control->isVisible());
        QString text;
        if (auto* label = qobject_cast<QLabel*>(control)) text = label->text();
        if (auto* edit = qobject_cast<QLineEdit*>(control)) text = edit->text();
        if (auto* button = qobject_cast<QAbstractButton*>(control)) text = button->text();
        EXPECT_EQ(text.toStdString(), c.text ? c.text : "");
    }
    EXPECT_EQ(window_.size(), QSize(ui::MainWindow::kClientWidth, ui::MainWindow::kClientHeight));
    EXPECT_FALSE(window_.windowIcon().isNull());
    EXPECT_EQ(window_.windowIcon().availableSizes().value(0), QSize(32, 32));

    // The kinds the windowing operations look for.
    EXPECT_NE(Control<QLineEdit>("编辑框1_uid"), nullptr);
    EXPECT_NE(Control<QLabel>("图片框1"), nullptr);
    EXPECT_NE(Control<QStatusBar>("状态条1"), nullptr);
    EXPECT_EQ(Control<QStatusBar>("状态条1")->currentMessage(), QString());
    // The status bar is drawn over the list's last pixels, not under them.
    EXPECT_EQ(window_.childAt(400, 390), Control<QStatusBar>("状态条1"));
}

TEST_F(MainWindowTest, SongListIsAnEmptyFourColumnReport) {
    struct Column {
        const char* title;
        int width;
        Qt::Alignment alignment;
    };
    const std::vector<Column> columns = {{"序号", 80, Qt::AlignLeft},
                                         {"歌曲名称", 120, Qt::AlignHCenter},
                                         {"歌曲链接", 440, Qt::AlignHCenter},
                                         {"下载状态", 120, Qt::AlignHCenter}};
    ui::ReportList* songs = Songs();
    ASSERT_NE(songs, nullptr);
    ASSERT_EQ(songs->columnCount(), static_cast<int>(columns.size()));
    EXPECT_EQ(songs->rowCount(), 0);
    const int row = songs->AppendRow();
    for (int i = 0; i < songs->columnCount(); ++i) {
        const Column& column = columns[static_cast<std::size_t>(i)];
        SCOPED_TRACE(column.title);
        const QTableWidgetItem* header = songs->horizontalHeaderItem(i);
        ASSERT_NE(header, nullptr);
        EXPECT_EQ(header->text().toStdString(), column.title);
        EXPECT_EQ(songs->columnWidth(i), column.width);
        EXPECT_EQ(Qt::Alignment(header->textAlignment()) & Qt::AlignHorizontal_Mask,
                  column.alignment);
        EXPECT_EQ(Qt::Alignment(songs->item(row, i)->textAlignment()) & Qt::AlignHorizontal_Mask,
                  column.alignment);
    }

    EXPECT_TRUE(songs->horizontalHeader()->isVisible());
    EXPECT_FALSE(songs->verticalHeader()->isVisible());
    EXPECT_TRUE(songs->showGrid());
    EXPECT_EQ(songs->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(songs->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(songs->editTriggers(), QAbstractItemView::NoEditTriggers);

    // A click on a header neither sorts nor selects.
    songs->AppendRow();
    songs->SetCell(0, 1, QStringLiteral("乙"));
    songs->SetCell(1, 1, QStringLiteral("甲"));
    QHeaderView* header = songs->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + 10, header->height() / 2));
    EXPECT_EQ(songs->Cell(0, 1), QStringLiteral("乙"));
    EXPECT_EQ(songs->SelectedRowCount(), 0);

    // The selection looks the same with the focus elsewhere.
    const QPalette colours = songs->palette();
    EXPECT_EQ(colours.color(QPalette::Inactive, QPalette::Highlight),
              colours.color(QPalette::Active, QPalette::Highlight));
    EXPECT_EQ(colours.color(QPalette::Inactive, QPalette::HighlightedText),
              colours.color(QPalette::Active, QPalette::HighlightedText));
}

TEST_F(MainWindowTest, EveryEventReachesItsHandler) {
    std::vector<std::string> fired;
    auto record = [&](const char* name) { return [&fired, name] { fired.push_back(name); }; };
    window_.SetHandlers({.howToGetUidClicked = record("howTo"),
                         .queryUserClicked = record("query"),
                         .parseSongsClicked = record("parse"),
                         .downloadSongsClicked = record("download"),
                         .songListRightClicked = record("rightClick"),
                         .copyMusicLinkSelected = record("copy"),
                         .openMusicLinkSelected = record("open")});

    for (const char* button : {"按钮1", "按钮2_查询用户", "按钮1_解析歌曲", "按钮2_下载"}) {
        QTest::mouseClick(Control<QPushButton>(button), Qt::LeftButton);
    }
    EXPECT_EQ(fired, (std::vector<std::string>{"howTo", "query", "parse", "download"}));
    fired.clear();

    // A disabled button runs nothing.
    window_.Ops().SetEnabled("按钮2_下载", false);
    QTest::mouseClick(Control<QPushButton>("按钮2_下载"), Qt::LeftButton);
    EXPECT_TRUE(fired.empty());

    // The menu's two items, in their order, each bound to its own handler.
    QMenu* menu = Menu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(menu->actions()[0]->text(), QStringLiteral("复制音乐链接"));
    EXPECT_EQ(menu->actions()[1]->text(), QStringLiteral("打开音乐链接"));
    EXPECT_FALSE(menu->isVisible());
    for (int item : {1, 0}) {
        window_.Ops().PopupMenu("超级列表框右键菜单");
        ASSERT_TRUE(menu->isVisible());
        QTest::mouseClick(menu, Qt::LeftButton, {},
                          menu->actionGeometry(menu->actions()[item]).center());
        EXPECT_FALSE(menu->isVisible());
    }
    EXPECT_EQ(fired, (std::vector<std::string>{"open", "copy"}));
}

TEST_F(MainWindowTest, RightClickAnywhereInTheListKeepsTheSelectedRow) {
    ui::ReportList* songs = Songs();
    for (int i = 0; i < 3; ++i) songs->AppendRow();
    int rightClicks = 0;
    window_.SetHandlers({.songListRightClicked = [&] { ++rightClicks; }});
    QWidget* area = songs->viewport();
    const QPoint onRow = songs->visualItemRect(songs->item(1, 2)).center();
    const QPoint belowRows(area->width() / 2, area->height() - 10);

    QTest::mouseClick(area, Qt::LeftButton, {}, onRow);
    ASSERT_EQ(songs->FirstSelectedRow(), 1);

    struct Case {
        const char* where;
        QPoint at;
    };
    for (const Case& c : {Case{"on a row", songs->visualItemRect(songs->item(0, 0)).center()},
                          Case{"below the rows", belowRows}}) {
        SCOPED_TRACE(c.where);
        const int before = rightClicks;
        QTest::mousePress(area, Qt::RightButton, {}, c.at);
        QContextMenuEvent click(QContextMenuEvent::Mouse, c.at, area->mapToGlobal(c.at));
        QApplication::sendEvent(area, &click);
        QTest::mouseRelease(area, Qt::RightButton, {}, c.at);
        EXPECT_EQ(rightClicks, before + 1);
        EXPECT_EQ(songs->SelectedRowCount(), 1);
    }
    // A right click on a row selects that row, as a report list does.
    EXPECT_EQ(songs->FirstSelectedRow(), 0);
}

TEST_F(MainWindowTest, HelpWindowOpensModallyAndClosesAgain) {
    for (int press = 1; press <= 2; ++press) {
        SCOPED_TRACE(press);
        WithModal([&] { window_.Ops().ShowUidHelp(); },
                  [](QWidget* modal) {
                      ASSERT_NE(qobject_cast<ui::UidHelpWindow*>(modal), nullptr);
                      EXPECT_EQ(modal->geometry(), QRect(50, 50, 800, 450));
                      EXPECT_EQ(modal->windowTitle(), QString());
                      EXPECT_EQ(modal->windowModality(), Qt::ApplicationModal);
                      auto* box = modal->findChild<QLabel*>(QStringLiteral("图片框1"));
                      ASSERT_NE(box, nullptr);
                      EXPECT_EQ(box->geometry(), QRect(8, 16, 720, 392));
                      // The 1366 x 736 picture, whole and in proportion, within the box.
                      const QSize shown = box->pixmap().size();
                      EXPECT_EQ(shown.width(), 720);
                      EXPECT_LE(shown.height(), 392);
                      EXPECT_NEAR(shown.height(), 720.0 * 736 / 1366, 1.0);
                  });
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
}

TEST_F(MainWindowTest, MessageBoxShowsTheTextAloneWithAnOkButton) {
    // The texts travel as GBK; markup is shown as it is, never interpreted.
    for (const char* message : {"请输入正确的uid", "<b>不是粗体</b>"}) {
        SCOPED_TRACE(message);
        WithModal([&] { window_.Ops().ShowMessage(codepage::GbkFromUtf8(message)); },
                  [&](QWidget* modal) {
                      auto* box = qobject_cast<QMessageBox*>(modal);
                      ASSERT_NE(box, nullptr);
                      EXPECT_EQ(box->windowTitle(), QStringLiteral("信息："));
                      EXPECT_EQ(box->text().toStdString(), message);
                      EXPECT_EQ(box->textFormat(), Qt::PlainText);
                      EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
                      EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
                      EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
                      EXPECT_EQ(box->parentWidget(), nullptr);
                  });
    }
}

TEST_F(MainWindowTest, MessagePresenterCanBeReplacedAndRestored) {
    std::vector<Text> shown;
    window_.Ops().SetMessagePresenter([&](const Text& text) { shown.push_back(text); });
    window_.Ops().ShowMessage("用户不存在"_gbk);
    EXPECT_EQ(shown, std::vector<Text>{"用户不存在"_gbk});
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    window_.Ops().SetMessagePresenter(nullptr);
    WithModal([&] { window_.Ops().ShowMessage("恢复"_gbk); },
              [](QWidget* modal) { EXPECT_NE(qobject_cast<QMessageBox*>(modal), nullptr); });
    EXPECT_EQ(shown.size(), 1u);
}

}  // namespace
