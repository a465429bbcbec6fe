#pragma once

#include "MasterListModel.h"
#include "NameSearch.h"

#include <QListView>
#include <QTimer>

#include <string>
#include <vector>

class QLabel;

namespace dorimek::mainwin {

// ListBox1. A master list has tens of thousands of entries, so the list lays
// them out with one size for all (as ListBox2 does) instead of shaping every
// entry's text, and draws them from the names' bytes (MasterListModel)
// instead of holding an item per entry; that size is as wide as the widest
// entry, so the list still scrolls sideways exactly as far as its longest name.
//
// Moving in the list (arrows, pages, typing a name) only moves: a drug is
// picked by a click on it, or by Return or Space on the current entry.
// Typing the start of a name, with the list focused, goes to the first entry
// that matches in any of the forms the names take (NameSearch); the typed
// text is shown at the list's foot until a pause or Esc starts anew, and
// while it is shown Down and Up go to the next and previous entry that
// matches it.
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
    // Picks row as a click on it does: makes it current and the one
    // selected entry, and says it was chosen.
    void setCurrentRow(int row);
    // Makes row current and the one selected entry, as a keyboard step
    // does; nothing is chosen.
    void moveToRow(int row);
    // The selected entry; -1 when none is.
    int selectedRow() const;

    // The text typed since the last pause (empty when no search is going on).
    QString typedText() const { return typing_.query(); }
    // How long typing may pause before the next key starts a new search.
    static constexpr int kTypingPauseMs = 1000;

    void keyboardSearch(const QString& text) override;

  signals:
    // The user chose the selected entry: a click, Return or Space.
    void entryChosen();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    int widestRow(const masterfile::MasterNames& names) const;
    void typed(const TypeAhead::Step& step);
    void endTyping();
    void showTypedText(const QString& preedit = {});

    MasterListModel model_;
    const masterfile::MasterNames* names_ = nullptr;
    TypeAhead typing_;
    QTimer typingPause_;
    QLabel* typedTip_ = nullptr;
    bool typedMatched_ = true;  // the query shown matches an entry
};

}  // namespace dorimek::mainwin
