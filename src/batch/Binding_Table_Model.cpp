#include "batch/Binding_Table_Model.h"

#include "app/AppHelpers.h"

#include <QCoreApplication>

Binding_Table_Model::Binding_Table_Model(QObject* parent)
    : QAbstractTableModel(parent)
{
}

Binding_Table_Model* Binding_Table_Model::defaultInstance()
{
    static Binding_Table_Model* instance = new Binding_Table_Model(QCoreApplication::instance());
    return instance;
}

QString Binding_Table_Model::Row_Number_Title()
{
    return QStringLiteral("No.");
}

void Binding_Table_Model::setListData(const Binding_Rows& rows)
{
    beginResetModel();
    rows_ = rows;
    endResetModel();
}

void Binding_Table_Model::Create_List_By_Array(const QStringList& cells, int count)
{
    QVariantMap record;
    record.insert(Column_Identifier(0), QString::number(rows_.size() + 1));
    for (int k = 0; k < count; ++k)
        record.insert(Column_Identifier(k + 1), k < cells.size() ? Trim_Str(cells.at(k)) : QString(QLatin1String("")));
    const int at = int(rows_.size());
    beginInsertRows(QModelIndex(), at, at);
    rows_.append(record);
    endInsertRows();
}

void Binding_Table_Model::Clear_Rows()
{
    setListData({});
}

QStringList Binding_Table_Model::Header_Titles() const
{
    return QStringList{Row_Number_Title()} + titles_;
}

void Binding_Table_Model::Set_Sheet_Columns(const QStringList& titles)
{
    beginResetModel();
    titles_.clear();
    for (const QString& t : titles)
        titles_ << Trim_Str(t);
    endResetModel();
}

void Binding_Table_Model::Restore_From_Log(const QStringList& titles, const QVariantList& rows)
{
    beginResetModel();
    if (!titles.isEmpty())
        titles_ = titles.mid(1);
    const int columns = int(titles_.size()) + 1;
    rows_.clear();
    rows_.reserve(rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QVariant& entry = rows.at(i);
        QVariantMap record;
        const bool isRecord = entry.typeId() == QMetaType::QVariantMap;
        const QVariantMap saved = isRecord ? entry.toMap() : QVariantMap();
        bool damaged = !isRecord;
        for (int c = 0; c < columns; ++c) {
            const QString key = Column_Identifier(c);
            const QVariant v = saved.value(key);
            if (v.typeId() == QMetaType::QString) {
                record.insert(key, v.toString());
            } else {
                damaged = true;
                record.insert(key, QString(QLatin1String("")));
            }
        }
        if (damaged)
            Show_NSLog_Message(QStringLiteral("Binding table row %1 of the design log is damaged; its missing cells are empty.")
                                   .arg(i + 1));
        rows_.append(record);
    }
    endResetModel();
}

QVariantList Binding_Table_Model::Rows_For_Log() const
{
    QVariantList list;
    list.reserve(rows_.size());
    for (const QVariantMap& r : rows_)
        list.append(r);
    return list;
}

int Binding_Table_Model::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int Binding_Table_Model::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(titles_.size()) + 1;
}

QVariant Binding_Table_Model::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return Get_sel_row_col_value_of_Excel(rows_, index.row(), index.column());
}

QVariant Binding_Table_Model::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return QString::number(section + 1);
    const QStringList titles = Header_Titles();
    return section >= 0 && section < titles.size() ? QVariant(titles.at(section)) : QVariant();
}

Qt::ItemFlags Binding_Table_Model::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() > 0)
        f |= Qt::ItemIsEditable;
    return f;
}

bool Binding_Table_Model::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole)
        return false;
    const int row = index.row();
    const int col = index.column();
    if (!index.isValid() || row < 0 || row >= rows_.size() || col <= 0 || col >= columnCount()
        || value.typeId() != QMetaType::QString) {
        Show_NSLog_Message(QStringLiteral("Binding table edit refused at row %1, column %2.").arg(row).arg(col));
        return false;
    }
    rows_[row].insert(Column_Identifier(col), value.toString());
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}
