#include "ItemListView.h"

void TItemListModel::Relist(int count)
{
    beginResetModel();
    count_ = count;
    endResetModel();
}

void TItemListModel::InsertRow(int row)
{
    beginInsertRows({}, row, row);
    ++count_;
    endInsertRows();
}

void TItemListModel::RemoveRow(int row)
{
    beginRemoveRows({}, row, row);
    --count_;
    endRemoveRows();
}

void TItemListModel::RowChanged(int row)
{
    const QModelIndex changed = index(row);
    emit dataChanged(changed, changed);
}

QVariant TItemListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count_ || !rowText_)
        return {};
    // Screen readers read the same line the list shows.
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return rowText_(index.row());
    return {};
}

TItemListView::TItemListView(QWidget *parent) : QListView(parent), model_(new TItemListModel(this))
{
    setModel(model_);
}

void TItemListView::setCurrentRow(int row)
{
    selectionModel()->setCurrentIndex(model_->index(row), QItemSelectionModel::ClearAndSelect);
}

void TItemListView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QListView::currentChanged(current, previous);
    emit currentRowChanged(current.row());
}

void TItemListView::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    QListView::selectionChanged(selected, deselected);
    emit itemSelectionChanged();
}
