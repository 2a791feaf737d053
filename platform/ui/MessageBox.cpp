#include "platform/ui/MessageBox.h"

#include <QMessageBox>
#include <QString>

#include "platform/codepage/CodePage.h"

namespace ui {

void ShowMessageBox(const Text& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("信息："),
                    QString::fromStdString(codepage::Utf8FromGbk(text)), QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

}  // namespace ui
