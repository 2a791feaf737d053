#include "platform/ui/QtWindowOps.h"

#include <QByteArray>
#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPixmap>
#include <QStatusBar>

#include "platform/codepage/CodePage.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/ReportList.h"
#include "platform/ui/UidHelpWindow.h"

namespace ui {
namespace {

QString Name(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QString FromGbk(const Text& text) { return QString::fromStdString(codepage::Utf8FromGbk(text)); }

Text ToGbk(const QString& text) { return codepage::GbkFromUtf8(text.toStdString()); }

}  // namespace

QtWindowOps::QtWindowOps(QWidget& window) : window_(window), presenter_(ShowMessageBox) {}

void QtWindowOps::Close() { calls_.Close(); }

void QtWindowOps::SetMessagePresenter(MessagePresenter presenter) {
    presenter_ = presenter ? std::move(presenter) : MessagePresenter(ShowMessageBox);
}

Text QtWindowOps::EditText(std::string_view control) {
    return calls_.Call(
        [this, name = Name(control)] {
            const auto* edit = Find<QLineEdit>(name);
            return edit ? ToGbk(edit->text()) : Text();
        },
        Text());
}

void QtWindowOps::SetEditText(std::string_view control, const Text& text) {
    calls_.Call([this, name = Name(control), text] {
        if (auto* edit = Find<QLineEdit>(name)) edit->setText(FromGbk(text));
    });
}

void QtWindowOps::SetPicture(std::string_view control, const ByteSet& bmpFile) {
    calls_.Call([this, name = Name(control), bmpFile] {
        auto* box = Find<QLabel>(name);
        if (!box) return;
        QPixmap picture;
        const QByteArray bytes(reinterpret_cast<const char*>(bmpFile.data()),
                               static_cast<qsizetype>(bmpFile.size()));
        if (bytes.isEmpty() || !picture.loadFromData(bytes, "BMP")) {
            box->clear();
            return;
        }
        box->setPixmap(picture);
    });
}

int QtWindowOps::AppendRow(std::string_view list) {
    return calls_.Call(
        [this, name = Name(list)] {
            auto* rows = Find<ReportList>(name);
            return rows ? rows->AppendRow() : -1;
        },
        -1);
}

void QtWindowOps::SetCellText(std::string_view list, int row, int column, const Text& text) {
    calls_.Call([this, name = Name(list), row, column, text] {
        if (auto* rows = Find<ReportList>(name)) rows->SetCell(row, column, FromGbk(text));
    });
}

Text QtWindowOps::CellText(std::string_view list, int row, int column) {
    return calls_.Call(
        [this, name = Name(list), row, column] {
            const auto* rows = Find<ReportList>(name);
            return rows ? ToGbk(rows->Cell(row, column)) : Text();
        },
        Text());
}

int QtWindowOps::RowCount(std::string_view list) {
    return calls_.Call(
        [this, name = Name(list)] {
            const auto* rows = Find<ReportList>(name);
            return rows ? rows->rowCount() : 0;
        },
        0);
}

void QtWindowOps::ScrollRowIntoView(std::string_view list, int row) {
    calls_.Call([this, name = Name(list), row] {
        if (auto* rows = Find<ReportList>(name)) rows->ScrollRowIntoView(row);
    });
}

int QtWindowOps::SelectedRowCount(std::string_view list) {
    return calls_.Call(
        [this, name = Name(list)] {
            const auto* rows = Find<ReportList>(name);
            return rows ? rows->SelectedRowCount() : 0;
        },
        0);
}

int QtWindowOps::FirstSelectedRow(std::string_view list) {
    return calls_.Call(
        [this, name = Name(list)] {
            const auto* rows = Find<ReportList>(name);
            return rows ? rows->FirstSelectedRow() : -1;
        },
        -1);
}

void QtWindowOps::SetStatusText(std::string_view statusBar, const Text& text) {
    calls_.Call([this, name = Name(statusBar), text] {
        if (auto* bar = Find<QStatusBar>(name)) bar->showMessage(FromGbk(text));
    });
}

void QtWindowOps::SetEnabled(std::string_view control, bool enabled) {
    calls_.Call([this, name = Name(control), enabled] {
        if (auto* widget = Find<QWidget>(name)) widget->setEnabled(enabled);
    });
}

void QtWindowOps::PopupMenu(std::string_view menu) {
    calls_.Call([this, name = Name(menu)] {
        if (auto* popup = Find<QMenu>(name)) popup->popup(QCursor::pos());
    });
}

void QtWindowOps::ShowMessage(const Text& text) {
    calls_.Call([this, text] { presenter_(text); });
}

void QtWindowOps::ShowUidHelp() {
    calls_.Call([] {
        UidHelpWindow help;
        help.exec();
    });
}

void QtWindowOps::SetClipboardText(const Text& text) {
    calls_.Call([text] { QGuiApplication::clipboard()->setText(FromGbk(text)); });
}

}  // namespace ui
