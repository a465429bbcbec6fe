#include "MasterListModel.h"

#include "MasterListText.h"

namespace dorimek::mainwin {

void MasterListModel::setNames(const masterfile::MasterNames* names) {
    beginResetModel();
    names_ = names && !names->empty() ? names : nullptr;
    lastSize_ = QSize();
    endResetModel();
}

void MasterListModel::setLastEntrySize(QSize size) {
    lastSize_ = size;
    const QModelIndex last = index(rowCount() - 1, 0);
    if (last.isValid()) emit dataChanged(last, last, {Qt::SizeHintRole});
}

void MasterListModel::nameChanged(int row) {
    const QModelIndex changed = index(row, 0);
    if (changed.isValid()) emit dataChanged(changed, changed, {Qt::DisplayRole});
}

QString MasterListModel::text(int row) const {
    if (!names_ || row < 0 || row >= rowCount()) return {};
    return shownText((*names_)[static_cast<size_t>(row)], decode_);
}

QModelIndex MasterListModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || parent.isValid() || !names_ || row < 0 || static_cast<size_t>(row) >= names_->size())
        return {};
    return createIndex(row, 0);
}

int MasterListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !names_ ? 0 : static_cast<int>(names_->size());
}

QVariant MasterListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole) return text(index.row());
    if (role == Qt::SizeHintRole && index.row() == rowCount() - 1 && lastSize_.isValid()) return lastSize_;
    return {};
}

}  // namespace dorimek::mainwin
