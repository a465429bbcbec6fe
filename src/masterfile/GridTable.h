#pragma once

#include <QTableWidget>

namespace dorimek::masterfile {

// The editor's grid. Tab and Shift+Tab walk the cells, editing or not, as
// the table always did, but at the grid's ends they go on to the window's
// other controls instead of wrapping round, so the buttons below are in reach
// of the keyboard.
class GridTable : public QTableWidget {
    Q_OBJECT
  public:
    GridTable(int rows, int columns, QWidget* parent);

  protected:
    bool focusNextPrevChild(bool next) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

  private:
    // True when the current cell is the last (forward) or first cell.
    bool atEnd(bool forward) const;
};

}  // namespace dorimek::masterfile
