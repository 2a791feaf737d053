#include "platform/ui/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QStatusBar>

#include "platform/ui/Pictures.h"
#include "platform/ui/ReportList.h"

namespace ui {
namespace {

template <typename Widget>
Widget* Place(QWidget* parent, const char* name, QRect geometry) {
    auto* widget = new Widget(parent);
    widget->setObjectName(QString::fromUtf8(name));
    widget->setGeometry(geometry);
    return widget;
}

QLabel* PlaceLabel(QWidget* parent, const char* name, QRect geometry, const char* text) {
    auto* label = Place<QLabel>(parent, name, geometry);
    label->setText(QString::fromUtf8(text));
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent), background_(BackgroundPicture()), ops_(*this) {
    setWindowTitle(QStringLiteral("K歌歌曲下载"));
    setWindowIcon(IconPicture());
    setFixedSize(kClientWidth, kClientHeight);
    QFont text(QStringLiteral("WenQuanYi Micro Hei"));
    text.setPixelSize(12);
    setFont(text);

    PlaceLabel(this, "标签2", {26, 8, 80, 32}, "请输入uid:");
    Place<QLineEdit>(this, "编辑框1_uid", {136, 10, 208, 32});
    auto* howTo = Place<QPushButton>(this, "按钮1", {360, 8, 80, 32});
    howTo->setText(QStringLiteral("如何获取UID"));
    auto* query = Place<QPushButton>(this, "按钮2_查询用户", {472, 8, 80, 32});
    query->setText(QStringLiteral("查询用户"));

    Place<QLabel>(this, "图片框1", {25, 47, 56, 56})->setAlignment(Qt::AlignCenter);
    PlaceLabel(this, "标签1", {89, 62, 32, 24}, "用户:");
    Place<QLineEdit>(this, "编辑框1_用户名称", {137, 57, 207, 32});
    auto* parse = Place<QPushButton>(this, "按钮1_解析歌曲", {360, 56, 80, 32});
    parse->setText(QStringLiteral("解析歌曲"));
    auto* download = Place<QPushButton>(this, "按钮2_下载", {472, 56, 80, 32});
    download->setText(QStringLiteral("下载歌曲"));

    PlaceLabel(this, "标签3", {592, 24, 80, 32}, "下载目录：");
    Place<QLineEdit>(this, "编辑框1", {592, 56, 192, 32})->setText(QStringLiteral("*"));

    auto* songs = new ReportList({{QStringLiteral("序号"), 80, Qt::AlignLeft},
                                  {QStringLiteral("歌曲名称"), 120, Qt::AlignHCenter},
                                  {QStringLiteral("歌曲链接"), 440, Qt::AlignHCenter},
                                  {QStringLiteral("下载状态"), 120, Qt::AlignHCenter}},
                                 this);
    songs->setObjectName(QStringLiteral("超级列表框1"));
    songs->setGeometry(16, 104, 760, 296);

    // The status bar overlaps the list's last pixels, as in the window definition; it stays on
    // top.
    auto* status = Place<QStatusBar>(this, "状态条1", {0, 379, 794, 20});
    status->setSizeGripEnabled(false);
    status->setAutoFillBackground(true);
    status->raise();

    auto* menu = new QMenu(QStringLiteral("超级列表框右键菜单"), this);
    menu->setObjectName(QStringLiteral("超级列表框右键菜单"));
    QAction* copy = menu->addAction(QStringLiteral("复制音乐链接"));
    QAction* open = menu->addAction(QStringLiteral("打开音乐链接"));

    connect(howTo, &QPushButton::clicked, this,
            [this] { Fire(&MainWindowHandlers::howToGetUidClicked); });
    connect(query, &QPushButton::clicked, this,
            [this] { Fire(&MainWindowHandlers::queryUserClicked); });
    connect(parse, &QPushButton::clicked, this,
            [this] { Fire(&MainWindowHandlers::parseSongsClicked); });
    connect(download, &QPushButton::clicked, this,
            [this] { Fire(&MainWindowHandlers::downloadSongsClicked); });
    connect(songs, &QWidget::customContextMenuRequested, this,
            [this] { Fire(&MainWindowHandlers::songListRightClicked); });
    connect(copy, &QAction::triggered, this,
            [this] { Fire(&MainWindowHandlers::copyMusicLinkSelected); });
    connect(open, &QAction::triggered, this,
            [this] { Fire(&MainWindowHandlers::openMusicLinkSelected); });
    // The application may also end without a close event (a quit request): workers must not
    // wait for a window thread that no longer serves them.
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
            [this] { ops_.Close(); });
}

MainWindow::~MainWindow() { ops_.Close(); }

void MainWindow::SetHandlers(MainWindowHandlers handlers) { handlers_ = std::move(handlers); }

void MainWindow::Fire(std::function<void()> MainWindowHandlers::*handler) {
    // A copy: the handler may replace the bindings while it runs.
    const std::function<void()> run = handlers_.*handler;
    if (run) run();
}

void MainWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (!background_.isNull()) painter.drawPixmap(0, 0, background_);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    ops_.Close();
    Fire(&MainWindowHandlers::closing);
    event->accept();
}

}  // namespace ui
