#include "platform/ui/ReportList.h"

#include <algorithm>

#include <QHeaderView>
#include <QMouseEvent>
#include <QPalette>

namespace ui {

ReportList::ReportList(const std::vector<ReportColumn>& columns, QWidget* parent)
    : QTableWidget(0, static_cast<int>(columns.size()), parent) {
    for (int i = 0; i < columnCount(); ++i) {
        const ReportColumn& column = columns[static_cast<std::size_t>(i)];
        auto* title = new QTableWidgetItem(column.title);
        title->setTextAlignment(column.alignment | Qt::AlignVCenter);
        setHorizontalHeaderItem(i, title);
        setColumnWidth(i, column.width);
        alignments_.push_back(column.alignment);
    }

    QHeaderView* header = horizontalHeader();
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setSortIndicatorShown(false);
    setSortingEnabled(false);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);

    setShowGrid(true);
    setWordWrap(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);

    // Black on white, and the selection drawn alike with or without the focus.
    QPalette colours = palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::Text, Qt::black);
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
        colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
    }
    setPalette(colours);
}

int ReportList::AppendRow() {
    const int row = rowCount();
    insertRow(row);
    for (int column = 0; column < columnCount(); ++column) {
        auto* cell = new QTableWidgetItem();
        cell->setTextAlignment(alignments_[static_cast<std::size_t>(column)] | Qt::AlignVCenter);
        cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        setItem(row, column, cell);
    }
    return row;
}

void ReportList::SetCell(int row, int column, const QString& text) {
    if (QTableWidgetItem* cell = item(row, column)) cell->setText(text);
}

QString ReportList::Cell(int row, int column) const {
    const QTableWidgetItem* cell = item(row, column);
    return cell ? cell->text() : QString();
}

int ReportList::SelectedRowCount() const {
    return static_cast<int>(selectionModel()->selectedRows().size());
}

int ReportList::FirstSelectedRow() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (rows.isEmpty()) return -1;
    return std::min_element(
               rows.begin(), rows.end(),
               [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); })
        ->row();
}

void ReportList::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton && !indexAt(event->position().toPoint()).isValid()) {
        setFocus(Qt::MouseFocusReason);
        event->accept();
        return;
    }
    QTableWidget::mousePressEvent(event);
}

void ReportList::ScrollRowIntoView(int row) {
    if (row < 0 || row >= rowCount()) return;
    scrollTo(model()->index(row, 0));
}

}  // namespace ui
