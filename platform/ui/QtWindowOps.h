#pragma once

#include <functional>
#include <string_view>

#include <QString>
#include <QWidget>

#include "platform/ui/WindowOps.h"
#include "platform/ui/WindowThreadCall.h"
#include "text/core/Text.h"

namespace ui {

// Shows a message to the operator and returns when it has been acknowledged.
using MessagePresenter = std::function<void(const Text&)>;

// The windowing operations realised on a Qt window: controls are found by their objectName
// among the window's children (QLineEdit edit boxes, QLabel picture boxes, ReportList lists,
// QStatusBar status bars, QMenu popup menus, any widget for SetEnabled). An unknown name or a
// name of the wrong kind does nothing and reads as empty (0 rows, -1 for a row index).
//
// Thread: construct and Close on the window's thread; every operation from any thread (see
// WindowThreadCall). After Close, an operation called from another thread does nothing and
// returns at once: the empty text, 0, or -1 from AppendRow and FirstSelectedRow. The window and
// this object must outlive every worker that calls it.
class QtWindowOps : public WindowOps {
public:
    // `window` is not owned and must outlive this object.
    explicit QtWindowOps(QWidget& window);

    // Stops serving other threads (see above); idempotent. Call before joining workers.
    void Close();

    // Replaces the message box (the default, ShowMessageBox), for example to capture messages
    // in tests. An empty presenter restores the default. Window's thread, before workers start.
    void SetMessagePresenter(MessagePresenter presenter);

    Text EditText(std::string_view control) override;
    void SetEditText(std::string_view control, const Text& text) override;
    void SetPicture(std::string_view control, const ByteSet& bmpFile) override;
    int AppendRow(std::string_view list) override;
    void SetCellText(std::string_view list, int row, int column, const Text& text) override;
    Text CellText(std::string_view list, int row, int column) override;
    int RowCount(std::string_view list) override;
    void ScrollRowIntoView(std::string_view list, int row) override;
    int SelectedRowCount(std::string_view list) override;
    int FirstSelectedRow(std::string_view list) override;
    void SetStatusText(std::string_view statusBar, const Text& text) override;
    void SetEnabled(std::string_view control, bool enabled) override;
    // Opens the menu at the mouse position and returns at once; choosing an item runs the
    // item's handler later from the window's event loop.
    void PopupMenu(std::string_view menu) override;
    void ShowMessage(const Text& text) override;
    void ShowUidHelp() override;
    void SetClipboardText(const Text& text) override;

private:
    template <typename Widget>
    Widget* Find(const QString& name) const {
        return window_.findChild<Widget*>(name);
    }

    QWidget& window_;
    MessagePresenter presenter_;
    WindowThreadCall calls_;
};

}  // namespace ui
