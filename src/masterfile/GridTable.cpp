#include "GridTable.h"

namespace dorimek::masterfile {

GridTable::GridTable(int rows, int columns, QWidget* parent) : QTableWidget(rows, columns, parent) {}

bool GridTable::atEnd(bool forward) const {
    const QModelIndex cell = currentIndex();
    if (!cell.isValid()) return false;
    return forward ? cell.row() == rowCount() - 1 && cell.column() == columnCount() - 1
                   : cell.row() == 0 && cell.column() == 0;
}

bool GridTable::focusNextPrevChild(bool next) {
    // Past the last cell the table would start again at the first.
    if (atEnd(next)) return QWidget::focusNextPrevChild(next);
    return QTableWidget::focusNextPrevChild(next);
}

void GridTable::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    // Tab in a cell being edited: the delegate has committed the text and
    // asks for the next cell, which at the end is the next control.
    const bool leave = (hint == QAbstractItemDelegate::EditNextItem && atEnd(true)) ||
                       (hint == QAbstractItemDelegate::EditPreviousItem && atEnd(false));
    QTableWidget::closeEditor(editor, leave ? QAbstractItemDelegate::NoHint : hint);
    if (leave) QWidget::focusNextPrevChild(hint == QAbstractItemDelegate::EditNextItem);
}

}  // namespace dorimek::masterfile
