#pragma once

#include "masterfile/MasterNames.h"
#include "platform/Sjis.h"

#include <QAbstractListModel>
#include <QSize>

#include <string>
#include <vector>

namespace dorimek::mainwin {

// The entries of ListBox1, straight from the master list's bytes. Only the
// entries the list draws are ever converted, so a list of 200,000 names costs
// no more to open than one of 20: no text object per entry, no conversion of
// names nobody looks at.
class MasterListModel : public QAbstractListModel {
    Q_OBJECT
  public:
    using QAbstractListModel::QAbstractListModel;

    // The names stay the caller's; they must live as long as they are shown
    // (or until setNames(nullptr)).
    void setNames(const masterfile::MasterNames* names);
    // The size the last entry reports; a list with one size for all entries
    // takes that one.
    void setLastEntrySize(QSize size);
    // Entry row's name has changed in place.
    void nameChanged(int row);

    QString text(int row) const;

    // The list's layout asks for every entry's index, twice; the general
    // one asks rowCount() and columnCount() each time.
    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

  private:
    const masterfile::MasterNames* names_ = nullptr;
    QSize lastSize_;
    mutable platform::SjisBatchDecoder decode_;
};

}  // namespace dorimek::mainwin
