#pragma once

#include <string_view>

#include "text/core/Text.h"

namespace ui {

// The windowing operations the application logic needs, addressed by control name (the names of
// the window definition, UTF-8 in source: "编辑框1_uid", "超级列表框1", "状态条1"). Texts are
// GBK. Realised by the Qt main window and by the terminal front end; the logic runs the same on
// either.
//
// Thread: every operation may be called from the window's thread or from a worker; a worker's
// call is carried out on the window's thread and returns when it is done.
class WindowOps {
public:
    virtual ~WindowOps() = default;

    // Edit boxes. Reading an unknown control gives the empty text.
    virtual Text EditText(std::string_view control) = 0;
    virtual void SetEditText(std::string_view control, const Text& text) = 0;

    // Picture box from the bytes of a BMP file image; bytes that are no picture clear it.
    virtual void SetPicture(std::string_view control, const ByteSet& bmpFile) = 0;

    // List view. Rows and columns count from 0; a missing cell reads as the empty text.
    virtual int AppendRow(std::string_view list) = 0;  // the new row's index
    virtual void SetCellText(std::string_view list, int row, int column, const Text& text) = 0;
    virtual Text CellText(std::string_view list, int row, int column) = 0;
    virtual int RowCount(std::string_view list) = 0;
    virtual void ScrollRowIntoView(std::string_view list, int row) = 0;
    virtual int SelectedRowCount(std::string_view list) = 0;
    virtual int FirstSelectedRow(std::string_view list) = 0;  // -1 when none

    virtual void SetStatusText(std::string_view statusBar, const Text& text) = 0;

    // Enables or disables a button (one action at a time).
    virtual void SetEnabled(std::string_view control, bool enabled) = 0;

    // Pops the named popup menu up at the mouse position.
    virtual void PopupMenu(std::string_view menu) = 0;

    // A message to the operator with the caption "信息：" and an OK button; returns when the
    // operator has closed it. Only handlers on the window's thread call it.
    virtual void ShowMessage(const Text& text) = 0;

    // Shows the UID help window modally; returns when it is closed.
    virtual void ShowUidHelp() = 0;

    // Puts a text on the system clipboard.
    virtual void SetClipboardText(const Text& text) = 0;
};

}  // namespace ui
