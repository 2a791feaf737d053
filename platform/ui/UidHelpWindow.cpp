#include "platform/ui/UidHelpWindow.h"

#include <QLabel>

#include "platform/ui/Pictures.h"

namespace ui {

UidHelpWindow::UidHelpWindow(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString());
    setWindowIcon(IconPicture());
    setGeometry(50, 50, 800, 450);

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("图片框1"));
    picture->setGeometry(8, 16, 720, 392);
    picture->setAlignment(Qt::AlignCenter);
    // Scaled once, keeping the proportions, so the small address bar text stays legible.
    picture->setPixmap(
        UidHelpPicture().scaled(picture->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

}  // namespace ui
