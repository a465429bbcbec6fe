#pragma once

#include <QListWidget>
#include <QStringList>

namespace dorimek::mainwin {

// ListBox1. A master list has tens of thousands of entries, so the list lays
// them out with one size for all (as ListBox2 does) instead of shaping every
// entry's text; that size is as wide as the widest entry, so the list still
// scrolls sideways exactly as far as its longest name.
class MasterListBox : public QListWidget {
    Q_OBJECT
  public:
    explicit MasterListBox(QWidget* parent = nullptr);

    // Replaces every entry at once.
    void setEntries(const QStringList& texts);

  private:
    int widestEntry(const QStringList& texts) const;
};

}  // namespace dorimek::mainwin
