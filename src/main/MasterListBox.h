#pragma once

#include "MasterListModel.h"

#include <QListView>

#include <string>
#include <vector>

namespace dorimek::mainwin {

// ListBox1. A master list has tens of thousands of entries, so the list lays
// them out with one size for all (as ListBox2 does) instead of shaping every
// entry's text, and draws them from the names' bytes (MasterListModel)
// instead of holding an item per entry; that size is as wide as the widest
// entry, so the list still scrolls sideways exactly as far as its longest name.
class MasterListBox : public QListView {
    Q_OBJECT
  public:
    explicit MasterListBox(QWidget* parent = nullptr);

    // Shows names, replacing every entry at once; names must live as long
    // as they are shown (setEntries(nullptr) lets go of them).
    void setEntries(const masterfile::MasterNames* names);
    // Entry row's name has changed in place.
    void entryChanged(int row);

    int count() const { return model_.rowCount(); }
    QString text(int row) const { return model_.text(row); }
    QModelIndex entry(int row) const { return model_.index(row, 0); }
    int currentRow() const { return currentIndex().row(); }
    // Makes row current and the one selected entry, as a keyboard step does.
    void setCurrentRow(int row);
    // The selected entry; -1 when none is.
    int selectedRow() const;

  signals:
    // The selection changed, by mouse, keyboard or setCurrentRow().
    void entrySelectionChanged();

  private:
    int widestRow(const masterfile::MasterNames& names) const;

    MasterListModel model_;
};

}  // namespace dorimek::mainwin
