#pragma once
// The Items page's list (ListBox2): a view over rows computed when they are shown, so a feed
// of a hundred thousand items is listed at once instead of row by row. The window tells the
// model how many rows there are and which of them changed; a row's text is asked for only
// when the view draws it or someone (a screen reader, a test) reads it. The view offers the
// row-based calls the window used with a plain list widget.
#include <QAbstractListModel>
#include <QListView>

#include <functional>

class TItemListModel : public QAbstractListModel {
public:
    using TRowText = std::function<QString(int row)>;
    explicit TItemListModel(QObject *parent = nullptr) : QAbstractListModel(parent) {}

    void SetRowText(TRowText rowText) { rowText_ = std::move(rowText); }
    // The rows are listed anew: count of them, each read when needed.
    void Relist(int count);
    void InsertRow(int row);
    void RemoveRow(int row);
    void RowChanged(int row);

    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : count_; }
    QVariant data(const QModelIndex &index, int role) const override;

private:
    TRowText rowText_;
    int count_ = 0;
};

class TItemListView : public QListView {
    Q_OBJECT
public:
    explicit TItemListView(QWidget *parent = nullptr);

    TItemListModel &Rows() const { return *model_; }
    int count() const { return model_->rowCount(); }
    // -1 when no row is current.
    int currentRow() const { return currentIndex().row(); }
    // Makes the row current and selects it alone (a row out of range clears the current row).
    void setCurrentRow(int row);
    QString RowText(int row) const { return model_->data(model_->index(row), Qt::DisplayRole).toString(); }

signals:
    void currentRowChanged(int row);
    void itemSelectionChanged();

protected:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;

private:
    TItemListModel *model_;
};
