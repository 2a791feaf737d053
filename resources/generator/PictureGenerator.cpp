// Draws the pictures the windows carry: the main window's background, the icon, and the
// picture that shows where a user's UID stands in the address of the user's page.
//
//   picture_generator <folder>     writes background.png, icon.png and uid_help.png there
//
// Every name and address in the pictures is made up; the host is karaoke.example.

#include <cstdio>

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>
#include <QStringList>

namespace {

const char* const kFontFile = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc";
QString fontFamily;

QFont Font(int pixels, bool bold = false) {
    QFont font(fontFamily);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QImage Canvas(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// An eighth note: head, stem and flag.
void DrawNote(QPainter& painter, QPointF head, double size, const QColor& colour) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.save();
    painter.translate(head);
    painter.rotate(-20);
    painter.drawEllipse(QPointF(0, 0), size * 0.42, size * 0.3);
    painter.restore();
    const QPointF stemTop(head.x() + size * 0.36, head.y() - size * 1.6);
    painter.setPen(QPen(colour, size * 0.1, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(head.x() + size * 0.36, head.y() - size * 0.08), stemTop);
    QPainterPath flag(stemTop);
    flag.cubicTo(stemTop + QPointF(size * 0.1, size * 0.45),
                 stemTop + QPointF(size * 0.75, size * 0.5),
                 stemTop + QPointF(size * 0.5, size * 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(flag);
}

QImage Background() {
    QImage image = Canvas(800, 450);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, 450);
    sky.setColorAt(0.0, QColor(0xe3, 0xee, 0xfb));
    sky.setColorAt(0.3, QColor(0xf4, 0xf8, 0xfd));
    sky.setColorAt(1.0, QColor(0xfb, 0xfc, 0xfe));
    painter.fillRect(image.rect(), sky);

    // Faint sound waves across the top band, where the controls leave room.
    for (int wave = 0; wave < 4; ++wave) {
        QPainterPath path(QPointF(0, 96 - wave * 9));
        for (int x = 0; x <= 800; x += 100) {
            const double lift = (x / 100) % 2 == 0 ? 16 + wave * 3 : -16 - wave * 3;
            path.quadTo(QPointF(x + 50, 96 - wave * 9 + lift), QPointF(x + 100, 96 - wave * 9));
        }
        painter.setPen(QPen(QColor(0x7a, 0xa7, 0xe0, 38 - wave * 6), 2));
        painter.drawPath(path);
    }
    DrawNote(painter, QPointF(566, 92), 14, QColor(0x5b, 0x8f, 0xd6, 70));
    DrawNote(painter, QPointF(700, 20), 11, QColor(0xe0, 0x6c, 0x75, 60));
    DrawNote(painter, QPointF(772, 96), 9, QColor(0x5b, 0x8f, 0xd6, 55));

    // A soft band along the bottom, under the status bar.
    QLinearGradient floor(0, 400, 0, 450);
    floor.setColorAt(0.0, QColor(0xdb, 0xe7, 0xf7, 0));
    floor.setColorAt(1.0, QColor(0xdb, 0xe7, 0xf7, 160));
    painter.fillRect(QRect(0, 400, 800, 50), floor);
    return image;
}

QImage Icon() {
    QImage image = Canvas(32, 32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient tile(0, 0, 32, 32);
    tile.setColorAt(0.0, QColor(0xff, 0x7a, 0x6b));
    tile.setColorAt(1.0, QColor(0xd9, 0x2d, 0x5a));
    painter.setPen(Qt::NoPen);
    painter.setBrush(tile);
    painter.drawRoundedRect(QRectF(1, 1, 30, 30), 7, 7);

    // A microphone: head, holder arc and stand.
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(11, 5, 10, 15), 5, 5);
    painter.setBrush(QColor(0xd9, 0x2d, 0x5a, 90));
    painter.drawRect(QRectF(12, 10, 8, 1.4));
    painter.drawRect(QRectF(12, 13, 8, 1.4));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(QRectF(8, 9, 16, 15), 200 * 16, 140 * 16);
    painter.drawLine(QPointF(16, 24), QPointF(16, 27));
    painter.drawLine(QPointF(12, 27.5), QPointF(20, 27.5));
    return image;
}

// Browser chrome, the address and the page of a made-up user; the uid value outlined in red,
// an arrow pointing at it and a note saying which part of the address is the UID.
QImage UidHelp() {
    const int width = 1366;
    const int height = 736;
    QImage image = Canvas(width, height);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    // Tab strip with one open tab.
    painter.fillRect(QRect(0, 0, width, 42), QColor(0xde, 0xe1, 0xe6));
    QPainterPath tab;
    tab.addRoundedRect(QRectF(12, 8, 260, 44), 9, 9);
    painter.fillPath(tab, QColor(0xf7, 0xf8, 0xfa));
    painter.setPen(QColor(0x3c, 0x40, 0x43));
    painter.setFont(Font(15));
    painter.setBrush(QColor(0xe8, 0x4a, 0x5f));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(28, 18, 16, 16));
    painter.setPen(QColor(0x3c, 0x40, 0x43));
    painter.drawText(QRectF(54, 10, 200, 32), Qt::AlignVCenter | Qt::AlignLeft,
                     QStringLiteral("演示用户的个人主页"));
    painter.drawText(QRectF(240, 10, 24, 32), Qt::AlignCenter, QStringLiteral("×"));

    // Toolbar: back, forward, reload and the address field.
    const QRect toolbar(0, 42, width, 50);
    painter.fillRect(toolbar, QColor(0xf7, 0xf8, 0xfa));
    painter.setPen(QPen(QColor(0x5f, 0x63, 0x68), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    for (int i = 0; i < 2; ++i) {
        const double x = 30 + i * 40;
        const double dir = i == 0 ? -1 : 1;
        painter.drawLine(QPointF(x - 8 * dir, 67), QPointF(x + 8 * dir, 67));
        painter.drawLine(QPointF(x + 8 * dir, 67), QPointF(x + 2 * dir, 61));
        painter.drawLine(QPointF(x + 8 * dir, 67), QPointF(x + 2 * dir, 73));
    }
    painter.drawArc(QRectF(102, 59, 16, 16), 60 * 16, 290 * 16);
    painter.drawLine(QPointF(118, 58), QPointF(118.5, 63.5));
    painter.drawLine(QPointF(118.5, 63.5), QPointF(113, 63));

    const QRectF field(140, 50, 1180, 34);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xe9, 0xeb, 0xee));
    painter.drawRoundedRect(field, 17, 17);
    // A padlock before the address.
    painter.setPen(QPen(QColor(0x5f, 0x63, 0x68), 1.8));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRectF(160, 56, 10, 12), 0, 180 * 16);
    painter.setBrush(QColor(0x5f, 0x63, 0x68));
    painter.drawRoundedRect(QRectF(158, 62, 14, 11), 2, 2);

    const QFont addressFont = Font(19);
    const QFontMetricsF metrics(addressFont);
    const QString before = QStringLiteral("https://karaoke.example/personal?uid=");
    const QString uid = QStringLiteral("6a9c2e14b7d0f358");
    const QString after = QStringLiteral("&lang=zh_CN&from=share");
    const double textLeft = 186;
    const double baseline = field.center().y() + (metrics.ascent() - metrics.descent()) / 2;
    painter.setFont(addressFont);
    painter.setPen(QColor(0x20, 0x21, 0x24));
    painter.drawText(QPointF(textLeft, baseline), before + uid + after);
    const double uidLeft = textLeft + metrics.horizontalAdvance(before);
    const double uidWidth = metrics.horizontalAdvance(uid);

    // The user's page, in quiet colours so the red marks stand out.
    const QRect page(0, 92, width, height - 92);
    painter.fillRect(page, QColor(0xf2, 0xf3, 0xf5));
    QLinearGradient banner(0, 92, width, 300);
    banner.setColorAt(0.0, QColor(0xf8, 0xc9, 0xc4));
    banner.setColorAt(1.0, QColor(0xc9, 0xd8, 0xf4));
    painter.fillRect(QRect(0, 92, width, 210), banner);
    painter.setPen(QPen(Qt::white, 5));
    QRadialGradient face(QPointF(683, 318), 62);
    face.setColorAt(0.0, QColor(0xff, 0xe0, 0xb8));
    face.setColorAt(1.0, QColor(0xf0, 0xa8, 0x7a));
    painter.setBrush(face);
    painter.drawEllipse(QPointF(683, 318), 58, 58);
    painter.setPen(QColor(0x33, 0x33, 0x33));
    painter.setFont(Font(28, true));
    painter.drawText(QRectF(0, 384, width, 40), Qt::AlignCenter, QStringLiteral("演示用户"));
    painter.setFont(Font(17));
    painter.setPen(QColor(0x88, 0x88, 0x88));
    painter.drawText(QRectF(0, 424, width, 30), Qt::AlignCenter,
                     QStringLiteral("作品 25　　粉丝 128　　关注 36"));

    const QStringList songs = {QStringLiteral("晚风里的歌"), QStringLiteral("海边的小镇"),
                               QStringLiteral("星光练习曲"), QStringLiteral("一起唱吧")};
    for (int i = 0; i < songs.size(); ++i) {
        const QRectF card(243 + i * 225, 478, 205, 238);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        painter.drawRoundedRect(card, 10, 10);
        QLinearGradient cover(card.topLeft(), card.topLeft() + QPointF(205, 150));
        cover.setColorAt(0.0, QColor::fromHsv((i * 70 + 200) % 360, 70, 235));
        cover.setColorAt(1.0, QColor::fromHsv((i * 70 + 240) % 360, 90, 210));
        QPainterPath coverPath;
        coverPath.addRoundedRect(QRectF(card.left(), card.top(), card.width(), 160), 10, 10);
        painter.fillPath(coverPath, cover);
        DrawNote(painter, QPointF(card.center().x() - 6, card.top() + 100), 30,
                 QColor(255, 255, 255, 200));
        painter.setPen(QColor(0x33, 0x33, 0x33));
        painter.setFont(Font(18));
        painter.drawText(QRectF(card.left() + 14, card.top() + 170, 180, 30),
                         Qt::AlignLeft | Qt::AlignVCenter, songs[i]);
        painter.setPen(QColor(0x99, 0x99, 0x99));
        painter.setFont(Font(14));
        painter.drawText(QRectF(card.left() + 14, card.top() + 200, 180, 24),
                         Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("演示用户"));
    }

    // The red outline around the uid value.
    const QColor red(0xe0, 0x10, 0x10);
    const QRectF outline(uidLeft - 3, field.top() - 3, uidWidth + 6, field.height() + 6);
    painter.setPen(QPen(red, 3.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(outline, 5, 5);

    // The note, on a light panel over the banner, and the arrow from it to the outline.
    const QRectF note(uidLeft - 180, 150, 760, 118);
    painter.setPen(QPen(red, 2));
    painter.setBrush(QColor(255, 255, 255, 235));
    painter.drawRoundedRect(note, 12, 12);
    painter.setPen(red);
    painter.setFont(Font(30, true));
    painter.drawText(note.adjusted(20, 12, -20, -58), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("等号“=”后面、下一个“&”前面的就是UID"));
    painter.setFont(Font(21));
    painter.drawText(note.adjusted(20, 64, -20, -12), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("例如这里的 ") + uid + QStringLiteral("，共16个字符"));

    const QPointF tip(outline.center().x(), outline.bottom() + 4);
    const QPointF tail(tip.x(), note.top() - 2);
    painter.setPen(QPen(red, 5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(tail, tip + QPointF(0, 14));
    QPainterPath head(tip);
    head.lineTo(tip + QPointF(-14, 24));
    head.lineTo(tip + QPointF(14, 24));
    head.closeSubpath();
    painter.fillPath(head, red);
    return image;
}

bool Save(const QImage& image, const QString& folder, const char* name) {
    const QString path = folder + QLatin1Char('/') + QLatin1String(name);
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "picture_generator: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s %dx%d\n", qPrintable(path), image.width(), image.height());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: picture_generator <folder>\n");
        return 2;
    }
    // Drawing needs fonts but no screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int font = QFontDatabase::addApplicationFont(QString::fromLatin1(kFontFile));
    const QStringList families = QFontDatabase::applicationFontFamilies(font);
    if (families.isEmpty()) {
        std::fprintf(stderr, "picture_generator: cannot load %s (fonts-wqy-microhei)\n", kFontFile);
        return 1;
    }
    fontFamily = families.front();

    const QString folder = QString::fromLocal8Bit(argv[1]);
    const bool saved = Save(Background(), folder, "background.png") &&
                       Save(Icon(), folder, "icon.png") && Save(UidHelp(), folder, "uid_help.png");
    return saved ? 0 : 1;
}
