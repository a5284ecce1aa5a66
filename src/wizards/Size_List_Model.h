// The preset size list as a one-column table: the rows of the owner's
// ListData under "Extension", read and written through the owner's
// data-source calls. The main window and the card-size wizard show the same
// kind of list through it.
#pragma once

#include <QAbstractTableModel>
#include <QString>

template <class Owner>
class Size_List_Model : public QAbstractTableModel {
public:
    Size_List_Model(Owner* owner, bool editable)
        : QAbstractTableModel(owner)
        , m_owner(owner)
        , m_editable(editable)
    {
    }
    int rowCount(const QModelIndex& parent) const override
    {
        return parent.isValid() ? 0 : m_owner->numberOfRowsInTableView(m_owner->ColList);
    }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 1; }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole && role != Qt::EditRole)
            return {};
        return m_owner->tableView_objectValueForTableColumn(m_owner->ColList, kColumn(), index.row());
    }
    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (role != Qt::EditRole)
            return false;
        m_owner->tableView_setObjectValue(m_owner->ColList, value, kColumn(), index.row());
        emit dataChanged(index, index);
        return true;
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        const Qt::ItemFlags base = QAbstractTableModel::flags(index);
        return m_editable ? base | Qt::ItemIsEditable : base;
    }
    QVariant headerData(int, Qt::Orientation orientation, int role) const override
    {
        if (role == Qt::DisplayRole && orientation == Qt::Horizontal)
            return QStringLiteral("Size");
        return {};
    }
    void reload()
    {
        beginResetModel();
        endResetModel();
    }

private:
    static QString kColumn() { return QStringLiteral("Extension"); }
    Owner* m_owner;
    bool m_editable;
};
