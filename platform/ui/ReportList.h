#pragma once

#include <vector>

#include <QString>
#include <QTableWidget>

class QMouseEvent;

namespace ui {

struct ReportColumn {
    QString title;
    int width = 0;
    Qt::Alignment alignment = Qt::AlignLeft;  // of the title and of every cell below it
};

// A report-view list: fixed columns, grid lines, whole-row single selection that stays visible
// when the list loses the focus, headers that do not sort, rows only appended. A right click
// anywhere in the list emits customContextMenuRequested; on a row it selects that row first, on
// the empty part it keeps the selected row, so a menu can act on it wherever the click falls.
// Thread: the window's thread only.
class ReportList : public QTableWidget {
    Q_OBJECT

public:
    ReportList(const std::vector<ReportColumn>& columns, QWidget* parent);

    // Appends an empty row and returns its 0-based index.
    int AppendRow();
    // Out of range rows or columns are ignored (set) or read as the empty string (get).
    void SetCell(int row, int column, const QString& text);
    QString Cell(int row, int column) const;
    int SelectedRowCount() const;
    int FirstSelectedRow() const;  // -1 when none
    void ScrollRowIntoView(int row);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    std::vector<Qt::Alignment> alignments_;
};

}  // namespace ui
